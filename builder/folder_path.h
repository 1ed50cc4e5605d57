// Path forming shared by the loaders.
#ifndef RECO_BUILDER_FOLDER_PATH_H_
#define RECO_BUILDER_FOLDER_PATH_H_

#include "paths/path_utils.h"
#include "platform/platform.h"

// Copies `folder` into `path` (MAX_PATH units) and joins `relative` to it.
// False, with `path` empty, when no folder is given.
inline bool FormPath(LPWSTR path, LPCWSTR folder, LPCWSTR relative) {
  path[0] = 0;
  if (folder == nullptr) return false;
  StringCchCopyW(path, MAX_PATH, folder);
  return JoinPath(path, relative) != 0;
}

#endif  // RECO_BUILDER_FOLDER_PATH_H_
