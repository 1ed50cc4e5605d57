// File mappings, named shared-memory sections and views.
//
// A mapping handle and every view of it share one Section; the section
// lives until the last of them is gone, as a Windows section object does
// after its handle is closed while views remain.
#include <fcntl.h>
#include <sys/file.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <map>
#include <memory>
#include <mutex>
#include <thread>

#include "platform/posix/files.h"
#include "platform/text_convert.h"

namespace posix_layer {
namespace {

struct Section {
  ~Section();
  int fd = -1;
  uint64_t size = 0;
  bool writable = false;
  // A file-backed section counts as a mapping of its file.
  bool file_backed = false;
  dev_t device = 0;
  ino_t inode = 0;
  // A named section: its shared-memory object name.
  std::string shm_name;
};

// Every process that holds a named section keeps a shared flock on it. The
// one that can turn that into an exclusive lock at its end is the last
// holder and removes the name, so the section is gone with its last user.
Section::~Section() {
  if (!shm_name.empty() && fd >= 0 && flock(fd, LOCK_EX | LOCK_NB) == 0) {
    shm_unlink(shm_name.c_str());
  }
  if (fd >= 0) close(fd);
  if (file_backed) RemoveMappedFile(device, inode);
}

struct MappingObject : HandleObject {
  MappingObject() : HandleObject(Kind::kMapping) {}
  bool Close() override {
    section.reset();
    return true;
  }
  std::shared_ptr<Section> section;
};

struct View {
  std::shared_ptr<Section> section;
  size_t length = 0;
};

std::mutex g_views_mutex;
std::map<const void*, View> g_views;

// Section names are per user, as the sessions of a Windows desktop are; the
// name may hold any character but '/' and must stay below NAME_MAX.
std::string SharedMemoryName(LPCWSTR name) {
  std::string text = Utf16ToUtf8(name);
  for (char& c : text) {
    if (c == '/') c = '_';
  }
  std::string result = "/reco-" + std::to_string(getuid()) + "-" + text;
  if (result.size() > 250) result.resize(250);
  return result;
}

// Opens or creates the named section; sets *existed. Returns the fd, or -1
// with the last error set.
int OpenNamedSection(const std::string& name, uint64_t size, bool* existed, uint64_t* actual) {
  for (int attempt = 0; attempt < 100; ++attempt) {
    int fd = shm_open(name.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd >= 0) {
      if (ftruncate(fd, static_cast<off_t>(size)) != 0 || flock(fd, LOCK_SH) != 0) {
        const int err = errno;
        shm_unlink(name.c_str());
        close(fd);
        SetLastErrorFromErrno(err);
        return -1;
      }
      *existed = false;
      *actual = size;
      return fd;
    }
    if (errno != EEXIST) {
      SetLastErrorFromErrno(errno);
      return -1;
    }
    fd = shm_open(name.c_str(), O_RDWR | O_CLOEXEC, 0);
    if (fd < 0) {
      if (errno == ENOENT) continue;  // its last holder removed it just now
      SetLastErrorFromErrno(errno);
      return -1;
    }
    // The creator sizes the object right after creating it; wait for that.
    struct stat st;
    bool ready = false;
    for (int wait = 0; wait < 200; ++wait) {
      if (flock(fd, LOCK_SH) != 0 || fstat(fd, &st) != 0) break;
      if (st.st_nlink == 0) break;  // removed while we waited: start again
      if (st.st_size > 0) {
        ready = true;
        break;
      }
      flock(fd, LOCK_UN);
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    if (!ready) {
      close(fd);
      continue;
    }
    *existed = true;
    *actual = static_cast<uint64_t>(st.st_size);
    return fd;
  }
  SetLastError(ERROR_GEN_FAILURE);
  return -1;
}

}  // namespace
}  // namespace posix_layer

using posix_layer::HandleObject;
using posix_layer::MappingObject;
using posix_layer::Section;

HANDLE CreateFileMappingW(HANDLE file, LPSECURITY_ATTRIBUTES /*security*/, DWORD protect,
                          DWORD size_high, DWORD size_low, LPCWSTR name) {
  if (posix_layer::InjectedFault(platform_fault::Call::kCreateFileMapping)) return nullptr;
  if (protect != PAGE_READONLY && protect != PAGE_READWRITE) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  const uint64_t requested = (static_cast<uint64_t>(size_high) << 32) | size_low;
  auto section = std::make_shared<Section>();
  section->writable = protect == PAGE_READWRITE;
  DWORD result_error = ERROR_SUCCESS;

  if (file == INVALID_HANDLE_VALUE) {
    if (requested == 0) {
      SetLastError(ERROR_INVALID_PARAMETER);
      return nullptr;
    }
    if (name == nullptr || name[0] == 0) {
      section->fd = memfd_create("reco-section", MFD_CLOEXEC);
      if (section->fd < 0 || ftruncate(section->fd, static_cast<off_t>(requested)) != 0) {
        posix_layer::SetLastErrorFromErrno(errno);
        return nullptr;
      }
      section->size = requested;
    } else {
      const std::string shm_name = posix_layer::SharedMemoryName(name);
      bool existed = false;
      uint64_t actual = 0;
      section->fd = posix_layer::OpenNamedSection(shm_name, requested, &existed, &actual);
      if (section->fd < 0) return nullptr;
      section->shm_name = shm_name;
      section->size = actual;
      if (existed) result_error = ERROR_ALREADY_EXISTS;
    }
  } else {
    auto* source = static_cast<posix_layer::FileObject*>(
        posix_layer::LookUpHandle(file, HandleObject::Kind::kFile));
    if (source == nullptr) return nullptr;
    const bool can_read = (source->access & GENERIC_READ) != 0;
    const bool can_write = (source->access & GENERIC_WRITE) != 0;
    if (!can_read || (section->writable && !can_write)) {
      SetLastError(ERROR_ACCESS_DENIED);
      return nullptr;
    }
    struct stat st;
    if (fstat(source->fd, &st) != 0) {
      posix_layer::SetLastErrorFromErrno(errno);
      return nullptr;
    }
    const auto file_size = static_cast<uint64_t>(st.st_size);
    if (requested == 0 && file_size == 0) {
      SetLastError(ERROR_FILE_INVALID);
      return nullptr;
    }
    uint64_t size = requested == 0 ? file_size : requested;
    if (size > file_size) {
      if (!section->writable) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
      }
      if (ftruncate(source->fd, static_cast<off_t>(size)) != 0) {
        posix_layer::SetLastErrorFromErrno(errno);
        return nullptr;
      }
    }
    section->fd = fcntl(source->fd, F_DUPFD_CLOEXEC, 0);
    if (section->fd < 0) {
      posix_layer::SetLastErrorFromErrno(errno);
      return nullptr;
    }
    section->size = size;
    section->file_backed = true;
    section->device = st.st_dev;
    section->inode = st.st_ino;
    posix_layer::AddMappedFile(st.st_dev, st.st_ino);
  }
  auto* mapping = new MappingObject();
  mapping->section = std::move(section);
  HANDLE handle = posix_layer::RegisterHandle(mapping);
  SetLastError(result_error);
  return handle;
}

LPVOID MapViewOfFile(HANDLE handle, DWORD desired_access, DWORD offset_high, DWORD offset_low,
                     SIZE_T bytes) {
  if (posix_layer::InjectedFault(platform_fault::Call::kMapViewOfFile)) return nullptr;
  auto* mapping =
      static_cast<MappingObject*>(posix_layer::LookUpHandle(handle, HandleObject::Kind::kMapping));
  if (mapping == nullptr) return nullptr;
  const std::shared_ptr<Section>& section = mapping->section;
  const bool write = (desired_access & FILE_MAP_WRITE) != 0;
  if (write && !section->writable) {
    SetLastError(ERROR_ACCESS_DENIED);
    return nullptr;
  }
  const uint64_t offset = (static_cast<uint64_t>(offset_high) << 32) | offset_low;
  if (offset % 65536 != 0 || offset >= section->size) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  const uint64_t length = bytes == 0 ? section->size - offset : bytes;
  if (length > section->size - offset) {
    SetLastError(ERROR_ACCESS_DENIED);
    return nullptr;
  }
  void* base = mmap(nullptr, length, PROT_READ | (write ? PROT_WRITE : 0), MAP_SHARED,
                    section->fd, static_cast<off_t>(offset));
  if (base == MAP_FAILED) {
    posix_layer::SetLastErrorFromErrno(errno);
    return nullptr;
  }
  std::lock_guard<std::mutex> lock(posix_layer::g_views_mutex);
  posix_layer::g_views[base] = posix_layer::View{section, static_cast<size_t>(length)};
  return base;
}

BOOL UnmapViewOfFile(LPCVOID base) {
  posix_layer::View view;
  {
    std::lock_guard<std::mutex> lock(posix_layer::g_views_mutex);
    auto it = posix_layer::g_views.find(base);
    if (it == posix_layer::g_views.end()) {
      SetLastError(ERROR_INVALID_ADDRESS);
      return FALSE;
    }
    view = std::move(it->second);
    posix_layer::g_views.erase(it);
  }
  munmap(const_cast<void*>(base), view.length);
  return TRUE;
}
