// File objects of the POSIX layer, shared with the mapping code.
#ifndef RECO_PLATFORM_POSIX_FILES_H_
#define RECO_PLATFORM_POSIX_FILES_H_

#include <sys/types.h>

#include "platform/posix/internal.h"

namespace posix_layer {

struct FileObject : HandleObject {
  FileObject() : HandleObject(Kind::kFile) {}
  bool Close() override;
  int fd = -1;
  DWORD access = 0;
  dev_t device = 0;
  ino_t inode = 0;
};

// Counts the live mappings of each file, so that SetEndOfFile can refuse to
// cut a mapped file as Windows does.
void AddMappedFile(dev_t device, ino_t inode);
void RemoveMappedFile(dev_t device, ino_t inode);
bool IsMappedFile(dev_t device, ino_t inode);

}  // namespace posix_layer

#endif  // RECO_PLATFORM_POSIX_FILES_H_
