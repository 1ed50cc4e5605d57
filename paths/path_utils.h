// Joining, trimming and creating paths. Paths are UTF-16 strings of at most
// 259 characters in buffers of MAX_PATH (260) units; every operation that
// writes a path bounds it to that and always terminates it.
#ifndef RECO_PATHS_PATH_UTILS_H_
#define RECO_PATHS_PATH_UTILS_H_

#include "platform/platform.h"

// Characters trimmed at a seam between two path parts: space, tab,
// backslash and slash.
extern const WCHAR PathDelimiters[];

// Replaces the directory in `path` (a MAX_PATH buffer) by the directory
// without trailing delimiters, one backslash, and `relative` without leading
// delimiters; a result over 259 characters is cut. Returns 1, or 0 with the
// buffer untouched when either argument is absent.
int JoinPath(LPWSTR path, LPCWSTR relative);

// Cuts trailing delimiters; a string of delimiters only becomes empty.
void TrimTrailingDelimiters(LPWSTR text);

// Removes leading delimiters when at least one other character follows them.
void TrimLeadingDelimiters(LPWSTR text);

// Writes the part of `path` up to and including its last backslash into
// `out` (a MAX_PATH buffer, may be `path` itself, or nullptr) and returns its
// length; -1 with nothing written when `path` is absent or has no backslash.
int DirectoryOfPath(LPCWSTR path, LPWSTR out);

// Creates every directory named by a prefix of `path` that ends just before a
// backslash; the text after the last backslash is never created. The file
// system's root (an empty prefix, or a drive such as "C:") counts as
// existing. Returns 1, or 0 at the first directory that could not be
// created for another reason than existing already (those made stay).
int CreateDirectoryTree(LPCWSTR path);

#endif  // RECO_PATHS_PATH_UTILS_H_
