// File mappings, named shared-memory sections and views.
//
// A mapping handle and every view of it share one Section; the memory
// lives until the last of them is gone, as a Windows section object does
// after its handle is closed while views remain. A name, however, belongs
// to the handles only: once the last handle of a named section is closed,
// in any process, the name is free and the next creator gets a new,
// zero-filled section, even while old views remain (Windows and Wine agree;
// tests/platform/sections_test.cpp pins it).
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
};

Section::~Section() {
  if (fd >= 0) close(fd);
  if (file_backed) RemoveMappedFile(device, inode);
}

// Every handle of a named paging-file section has an open description of
// its shared-memory object of its own and keeps a shared flock on it. The
// handle that can turn that into an exclusive lock when it is closed is the
// last one, in any process, and removes the name. A holder that died
// without closing leaves a name nobody locks, which the next opener takes
// for a leftover and replaces (tests/platform/sections_test.cpp).
struct SharedMemoryHold {
  SharedMemoryHold(std::string n, int f) : name(std::move(n)), fd(f) {}
  ~SharedMemoryHold() {
    if (flock(fd, LOCK_EX | LOCK_NB) == 0) shm_unlink(name.c_str());
    close(fd);
  }
  SharedMemoryHold(const SharedMemoryHold&) = delete;
  SharedMemoryHold& operator=(const SharedMemoryHold&) = delete;
  std::string name;
  int fd;
};

// A named file mapping is shared by every handle that names it in this
// process; the name is free again when the last of those handles is closed.
struct FileMappingName {
  std::string name;
  std::shared_ptr<Section> section;
  ~FileMappingName();
};

// Tables made on first use and never destroyed (see files.cpp).
std::mutex g_names_mutex;

std::map<std::string, std::weak_ptr<FileMappingName>>& FileMappingNames() {
  static auto* names = new std::map<std::string, std::weak_ptr<FileMappingName>>();
  return *names;
}

FileMappingName::~FileMappingName() {
  std::lock_guard<std::mutex> lock(g_names_mutex);
  auto it = FileMappingNames().find(name);
  if (it != FileMappingNames().end() && it->second.expired()) FileMappingNames().erase(it);
}

struct MappingObject : HandleObject {
  MappingObject() : HandleObject(Kind::kMapping) {}
  bool Close() override {
    hold.reset();
    file_name.reset();
    section.reset();
    return true;
  }
  std::shared_ptr<Section> section;
  std::unique_ptr<SharedMemoryHold> hold;
  std::shared_ptr<FileMappingName> file_name;
};

struct View {
  std::shared_ptr<Section> section;
  size_t length = 0;
};

std::mutex g_views_mutex;

std::map<const void*, View>& Views() {
  static auto* views = new std::map<const void*, View>();
  return *views;
}

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

// Opens or creates the named section; sets *existed. Returns a descriptor
// that holds the shared lock of one handle, or -1 with the last error set.
int OpenNamedSection(const std::string& name, uint64_t size, bool* existed, uint64_t* actual) {
  for (int attempt = 0; attempt < 100; ++attempt) {
    int fd = shm_open(name.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd >= 0) {
      // Locked before it is sized: an opener that sees a size also sees a
      // holder.
      if (flock(fd, LOCK_SH) != 0 || ftruncate(fd, static_cast<off_t>(size)) != 0) {
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
    bool sized = false;
    for (int wait = 0; wait < 200; ++wait) {
      if (fstat(fd, &st) != 0 || st.st_nlink == 0) break;
      if (st.st_size > 0) {
        sized = true;
        break;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    if (sized && flock(fd, LOCK_EX | LOCK_NB) == 0) {
      // Sized but held by nobody: its holders ended without closing it.
      if (fstat(fd, &st) == 0 && st.st_nlink != 0) shm_unlink(name.c_str());
      close(fd);
      continue;
    }
    if (!sized || flock(fd, LOCK_SH) != 0 || fstat(fd, &st) != 0 || st.st_nlink == 0) {
      close(fd);  // removed while we looked: start again
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
  const bool named = name != nullptr && name[0] != 0;
  auto section = std::make_shared<Section>();
  section->writable = protect == PAGE_READWRITE;
  auto* mapping = new MappingObject();
  std::unique_ptr<MappingObject> owner(mapping);
  DWORD result_error = ERROR_SUCCESS;

  // Windows treats a null file handle as the paging file, too.
  if (file == INVALID_HANDLE_VALUE || file == nullptr) {
    if (requested == 0) {
      SetLastError(ERROR_INVALID_PARAMETER);
      return nullptr;
    }
    if (!named) {
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
      const int hold_fd = posix_layer::OpenNamedSection(shm_name, requested, &existed, &actual);
      if (hold_fd < 0) return nullptr;
      mapping->hold = std::make_unique<posix_layer::SharedMemoryHold>(shm_name, hold_fd);
      // Views map through a descriptor of their own, which carries no lock.
      section->fd = shm_open(shm_name.c_str(), O_RDWR | O_CLOEXEC, 0);
      if (section->fd < 0) {
        posix_layer::SetLastErrorFromErrno(errno);
        return nullptr;
      }
      section->size = actual;
      if (existed) result_error = ERROR_ALREADY_EXISTS;
    }
  } else {
    std::string key;
    if (named) {
      key = Utf16ToUtf8(name);
      std::lock_guard<std::mutex> lock(posix_layer::g_names_mutex);
      auto it = posix_layer::FileMappingNames().find(key);
      if (it != posix_layer::FileMappingNames().end()) {
        if (std::shared_ptr<posix_layer::FileMappingName> existing = it->second.lock()) {
          // As on Windows, the existing object is returned whatever file and
          // size this caller passed.
          mapping->section = existing->section;
          mapping->file_name = std::move(existing);
          HANDLE handle = posix_layer::RegisterHandle(owner.release());
          SetLastError(ERROR_ALREADY_EXISTS);
          return handle;
        }
      }
    }
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
    if (named) {
      auto entry = std::make_shared<posix_layer::FileMappingName>();
      entry->name = key;
      entry->section = section;
      std::lock_guard<std::mutex> lock(posix_layer::g_names_mutex);
      posix_layer::FileMappingNames()[key] = entry;
      mapping->file_name = std::move(entry);
    }
  }
  mapping->section = std::move(section);
  HANDLE handle = posix_layer::RegisterHandle(owner.release());
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
  void* base = mmap(nullptr, length, PROT_READ | (write ? PROT_WRITE : 0), MAP_SHARED, section->fd,
                    static_cast<off_t>(offset));
  if (base == MAP_FAILED) {
    posix_layer::SetLastErrorFromErrno(errno);
    return nullptr;
  }
  std::lock_guard<std::mutex> lock(posix_layer::g_views_mutex);
  posix_layer::Views()[base] = posix_layer::View{section, static_cast<size_t>(length)};
  return base;
}

BOOL UnmapViewOfFile(LPCVOID base) {
  posix_layer::View view;
  {
    std::lock_guard<std::mutex> lock(posix_layer::g_views_mutex);
    auto it = posix_layer::Views().find(base);
    if (it == posix_layer::Views().end()) {
      SetLastError(ERROR_INVALID_ADDRESS);
      return FALSE;
    }
    view = std::move(it->second);
    posix_layer::Views().erase(it);
  }
  munmap(const_cast<void*>(base), view.length);
  return TRUE;
}
