// The shell's special folder that the data directory lives under, asked of
// the shell by number. On CE it is the device's own data folder; each
// platform layer says what it stands for on its platform.
#ifndef RECO_PLATFORM_SHELL_FOLDER_H_
#define RECO_PLATFORM_SHELL_FOLDER_H_

constexpr int CSIDL_RECO_DATA = 17;

#endif  // RECO_PLATFORM_SHELL_FOLDER_H_
