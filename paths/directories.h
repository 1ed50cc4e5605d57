// The installation and data directories, resolved once at start-up
// (installation first) and only read afterwards.
#ifndef RECO_PATHS_DIRECTORIES_H_
#define RECO_PATHS_DIRECTORIES_H_

#include "platform/platform.h"

// Where the input method's shipped files live. Ends with a backslash when it
// comes from the tool's own executable path; holds the registry value as
// written otherwise.
extern WCHAR InstallDir[MAX_PATH];
// Where the user's settings live; always ends in "System\QXLum\VEQ\".
extern WCHAR DataDir[MAX_PATH];

// The installation directory: the REG_SZ value "Path" of the key
// "Software\Telvar\QXLUM\VEQ\About" under HKEY_LOCAL_MACHINE, or else the
// directory of the running executable. With `check` set, a directory that
// does not exist is created (all but a last component that has no trailing
// backslash). Copies it into `out` (MAX_PATH units) when given. Returns its
// length in characters.
int ResolveInstallDir(LPWSTR out, BOOL check);

// Fills DataDir: the shell's folder 17, or the installation directory when
// the shell gives no path, joined with "System\QXLum\VEQ\", created when
// missing. Returns its length in characters.
int ResolveDataDir();

// The path of the shell's folder 17 into `out` (MAX_PATH units) when given.
// Returns its length; 0 when the shell has no id list for the folder; -1 when
// the shell's allocator is unavailable or the id list names no path.
int ShellFolderPath(LPWSTR out);

// The registry value "Path" of the installation when it is a REG_SZ of at
// most 259 characters; otherwise `dir` is left as it was (empty, for the
// caller that starts with an empty string).
void ReadInstallDirValue(WCHAR (&dir)[MAX_PATH]);

// The data directory under the shell's folder: "System\QXLum\VEQ\".
extern const WCHAR kDataSubfolder[];

#endif  // RECO_PATHS_DIRECTORIES_H_
