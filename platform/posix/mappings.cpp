// File mappings, named shared-memory sections and views.
//
// A mapping handle and every view of it share one Section; the memory
// lives until the last of them is gone, as a Windows section object does
// after its handle is closed while views remain. A name, however, belongs
// to the handles only: once the last handle of a named section is closed,
// in any process, the name is free and the next creator gets a new,
// zero-filled section, even while old views remain (Windows and Wine agree;
// tests/platform/sections_test.cpp pins it).
#include <sys/file.h>
#include <sys/mman.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <map>
#include <memory>
#include <mutex>
#include <thread>

#include "platform/posix/files.h"
#include "platform/posix/syscalls.h"
#include "platform/text_convert.h"

namespace posix_layer {
namespace {

// Opening a named section races with its creator and with its last holder
// removing it; each lost race is retried, this many times in all.
constexpr int kNamedSectionAttempts = 100;
// A creator sizes its new object right after creating it. One that has not
// done so within this time died in between, and its object is a leftover.
constexpr auto kSizeWaitStep = std::chrono::milliseconds(5);
constexpr int kSizeWaitSteps = 200;
// View offsets are multiples of Windows' allocation granularity.
constexpr uint64_t kAllocationGranularity = 65536;
// Shared-memory names live in one directory: at most NAME_MAX bytes after
// the slash. A longer name keeps its start and gets a digest of the whole.
constexpr size_t kMaxSharedMemoryName = 255;

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
  if (fd >= 0) sys::Close(fd);
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
    if (sys::Flock(fd, LOCK_EX | LOCK_NB) == 0) sys::ShmUnlink(name.c_str());
    sys::Close(fd);
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

// FNV-1a, 64 bits: enough to tell apart the long names of one user.
uint64_t Digest(const std::string& text) {
  uint64_t hash = 0xcbf29ce484222325u;
  for (unsigned char c : text) {
    hash = (hash ^ c) * 0x100000001b3u;
  }
  return hash;
}

// Section names are per user, as the sessions of a Windows desktop are; the
// name may hold any character but '/'.
std::string SharedMemoryName(LPCWSTR name) {
  std::string text = Utf16ToUtf8(name);
  for (char& c : text) {
    if (c == '/') c = '_';
  }
  std::string result = "/reco-" + std::to_string(getuid()) + "-" + text;
  if (result.size() - 1 > kMaxSharedMemoryName) {
    char digest[20];
    std::snprintf(digest, sizeof(digest), "#%016llx",
                  static_cast<unsigned long long>(Digest(result)));
    result.resize(kMaxSharedMemoryName + 1 - (sizeof(digest) - 2));
    result += digest;
  }
  return result;
}

enum class Outcome { kDone, kRetry, kFailed };

// Creates the object as its first holder: locked before it is sized, so that
// an opener that sees a size also sees a holder. kRetry when it exists.
Outcome CreateNamedObject(const std::string& name, uint64_t size, int* fd) {
  *fd = sys::ShmOpen(name.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
  if (*fd < 0) {
    if (errno == EEXIST) return Outcome::kRetry;
    SetLastErrorFromErrno(errno);
    return Outcome::kFailed;
  }
  if (sys::Flock(*fd, LOCK_SH) != 0 || sys::Ftruncate(*fd, static_cast<off_t>(size)) != 0) {
    const int err = errno;
    sys::ShmUnlink(name.c_str());
    sys::Close(*fd);
    SetLastErrorFromErrno(err);
    return Outcome::kFailed;
  }
  return Outcome::kDone;
}

// Waits for the creator to size the object. True with *st filled when it
// has a size; false when it is unsized still, or already removed.
bool WaitForSize(int fd, struct stat* st) {
  for (int step = 0; step < kSizeWaitSteps; ++step) {
    if (sys::Fstat(fd, st) != 0 || st->st_nlink == 0) return false;
    if (st->st_size > 0) return true;
    std::this_thread::sleep_for(kSizeWaitStep);
  }
  return false;
}

// Joins an existing object as one more holder. kRetry (with *cause set)
// when it went away meanwhile, or was a leftover that is now removed.
Outcome OpenNamedObject(const std::string& name, int* fd, uint64_t* actual, DWORD* cause) {
  *fd = sys::ShmOpen(name.c_str(), O_RDWR | O_CLOEXEC, 0);
  if (*fd < 0) {
    if (errno != ENOENT) {
      SetLastErrorFromErrno(errno);
      return Outcome::kFailed;
    }
    *cause = ERROR_FILE_NOT_FOUND;  // its last holder removed it just now
    return Outcome::kRetry;
  }
  struct stat st;
  const bool sized = WaitForSize(*fd, &st);
  // Nobody holds it: its holders ended without closing it, or its creator
  // died before it could size it. Either way it is a leftover.
  if (sys::Flock(*fd, LOCK_EX | LOCK_NB) == 0) {
    if (sys::Fstat(*fd, &st) == 0 && st.st_nlink != 0) sys::ShmUnlink(name.c_str());
    sys::Close(*fd);
    *cause = ERROR_ALREADY_EXISTS;
    return Outcome::kRetry;
  }
  if (!sized || sys::Flock(*fd, LOCK_SH) != 0 || sys::Fstat(*fd, &st) != 0 || st.st_nlink == 0) {
    *cause = sized ? Win32ErrorFromErrno(errno) : ERROR_NOT_READY;
    sys::Close(*fd);  // removed while we looked, or its creator is still at work
    return Outcome::kRetry;
  }
  *actual = static_cast<uint64_t>(st.st_size);
  return Outcome::kDone;
}

// Opens or creates the named section; sets *existed. Returns a descriptor
// that holds the shared lock of one handle, or -1 with the last error set:
// when every attempt lost a race, the last race's cause.
int OpenNamedSection(const std::string& name, uint64_t size, bool* existed, uint64_t* actual) {
  DWORD cause = ERROR_SUCCESS;
  for (int attempt = 0; attempt < kNamedSectionAttempts; ++attempt) {
    int fd = -1;
    Outcome outcome = CreateNamedObject(name, size, &fd);
    if (outcome == Outcome::kDone) {
      *existed = false;
      *actual = size;
      return fd;
    }
    if (outcome == Outcome::kFailed) return -1;
    outcome = OpenNamedObject(name, &fd, actual, &cause);
    if (outcome == Outcome::kDone) {
      *existed = true;
      return fd;
    }
    if (outcome == Outcome::kFailed) return -1;
  }
  SetLastError(cause);
  return -1;
}

// Makes `mapping` one more holder of the named object whose shared lock
// `hold_fd` carries.
bool HoldNamedSection(const std::string& shm_name, int hold_fd, uint64_t size,
                      MappingObject* mapping, Section* section) {
  mapping->hold = std::make_unique<SharedMemoryHold>(shm_name, hold_fd);
  // Views map through a descriptor of their own, which carries no lock.
  section->fd = sys::ShmOpen(shm_name.c_str(), O_RDWR | O_CLOEXEC, 0);
  if (section->fd < 0) {
    SetLastErrorFromErrno(errno);
    return false;
  }
  section->size = size;
  return true;
}

// A section of the paging file: unnamed (private to the process) or named
// (shared by the user's processes). The result is the last error to report
// on success, or -1 with the failure's set.
LONG MakePagingSection(LPCWSTR name, uint64_t requested, MappingObject* mapping, Section* section) {
  if (requested == 0) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return -1;
  }
  if (name == nullptr || name[0] == 0) {
    section->fd = sys::MemfdCreate("reco-section");
    if (section->fd < 0 || sys::Ftruncate(section->fd, static_cast<off_t>(requested)) != 0) {
      SetLastErrorFromErrno(errno);
      return -1;
    }
    section->size = requested;
    return ERROR_SUCCESS;
  }
  const std::string shm_name = SharedMemoryName(name);
  bool existed = false;
  uint64_t actual = 0;
  const int hold_fd = OpenNamedSection(shm_name, requested, &existed, &actual);
  if (hold_fd < 0) return -1;
  if (!HoldNamedSection(shm_name, hold_fd, actual, mapping, section)) return -1;
  return existed ? ERROR_ALREADY_EXISTS : ERROR_SUCCESS;
}

// Joins the named section some holder made, never creating it.
bool JoinPagingSection(LPCWSTR name, MappingObject* mapping, Section* section) {
  const std::string shm_name = SharedMemoryName(name);
  DWORD cause = ERROR_SUCCESS;
  for (int attempt = 0; attempt < kNamedSectionAttempts; ++attempt) {
    int fd = -1;
    uint64_t actual = 0;
    const Outcome outcome = OpenNamedObject(shm_name, &fd, &actual, &cause);
    if (outcome == Outcome::kDone) return HoldNamedSection(shm_name, fd, actual, mapping, section);
    if (outcome == Outcome::kFailed) return false;
    // Gone meanwhile, or a leftover of holders that died: nobody holds it.
    if (cause == ERROR_FILE_NOT_FOUND || cause == ERROR_ALREADY_EXISTS) break;
  }
  SetLastError(cause == ERROR_NOT_READY ? cause : ERROR_FILE_NOT_FOUND);
  return false;
}

// A section over an open file. A writable one larger than the file first
// extends the file by real blocks, as Windows does: on a full disk the
// mapping fails with ERROR_DISK_FULL here, instead of a later write into a
// page of the view faulting (ftruncate alone would make a sparse hole).
LONG MakeFileSection(HANDLE file, uint64_t requested, Section* section) {
  auto* source = static_cast<FileObject*>(LookUpHandle(file, HandleObject::Kind::kFile));
  if (source == nullptr) return -1;
  const bool can_read = (source->access & GENERIC_READ) != 0;
  const bool can_write = (source->access & GENERIC_WRITE) != 0;
  if (!can_read || (section->writable && !can_write)) {
    SetLastError(ERROR_ACCESS_DENIED);
    return -1;
  }
  struct stat st;
  if (sys::Fstat(source->fd, &st) != 0) {
    SetLastErrorFromErrno(errno);
    return -1;
  }
  const auto file_size = static_cast<uint64_t>(st.st_size);
  if (requested == 0 && file_size == 0) {
    SetLastError(ERROR_FILE_INVALID);
    return -1;
  }
  const uint64_t size = requested == 0 ? file_size : requested;
  if (size > file_size) {
    if (!section->writable) {
      SetLastError(ERROR_NOT_ENOUGH_MEMORY);
      return -1;
    }
    if (sys::Fallocate(source->fd, static_cast<off_t>(file_size),
                       static_cast<off_t>(size - file_size)) != 0) {
      SetLastErrorFromErrno(errno);
      return -1;
    }
  }
  section->fd = sys::DupCloexec(source->fd);
  if (section->fd < 0) {
    SetLastErrorFromErrno(errno);
    return -1;
  }
  section->size = size;
  section->file_backed = true;
  section->device = st.st_dev;
  section->inode = st.st_ino;
  AddMappedFile(st.st_dev, st.st_ino);
  return ERROR_SUCCESS;
}

// The live file mapping of this name, if any.
std::shared_ptr<FileMappingName> FindFileMapping(const std::string& key) {
  std::lock_guard<std::mutex> lock(g_names_mutex);
  auto it = FileMappingNames().find(key);
  return it != FileMappingNames().end() ? it->second.lock() : nullptr;
}

std::shared_ptr<FileMappingName> NameFileMapping(const std::string& key,
                                                 std::shared_ptr<Section> section) {
  auto entry = std::make_shared<FileMappingName>();
  entry->name = key;
  entry->section = std::move(section);
  std::lock_guard<std::mutex> lock(g_names_mutex);
  FileMappingNames()[key] = entry;
  return entry;
}

}  // namespace

int OpenSharedObject(const std::string& name, uint64_t size, bool* existed) {
  uint64_t actual = 0;
  return OpenNamedSection(name, size, existed, &actual);
}

}  // namespace posix_layer

using posix_layer::HandleObject;
using posix_layer::MappingObject;
using posix_layer::Section;
namespace sys = posix_layer::sys;

HANDLE CreateFileMappingW(HANDLE file, LPSECURITY_ATTRIBUTES /*security*/, DWORD protect,
                          DWORD size_high, DWORD size_low, LPCWSTR name) {
  if (protect != PAGE_READONLY && protect != PAGE_READWRITE) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  const uint64_t requested = (static_cast<uint64_t>(size_high) << 32) | size_low;
  const bool named = name != nullptr && name[0] != 0;
  auto owner = std::make_unique<MappingObject>();
  auto section = std::make_shared<Section>();
  section->writable = protect == PAGE_READWRITE;

  LONG result = ERROR_SUCCESS;
  // Windows treats a null file handle as the paging file, too.
  if (file == INVALID_HANDLE_VALUE || file == nullptr) {
    result = posix_layer::MakePagingSection(name, requested, owner.get(), section.get());
  } else {
    const std::string key = named ? Utf16ToUtf8(name) : std::string();
    if (named) {
      if (auto existing = posix_layer::FindFileMapping(key)) {
        // As on Windows, the existing object is returned whatever file and
        // size this caller passed.
        owner->section = existing->section;
        owner->file_name = std::move(existing);
        HANDLE handle = posix_layer::RegisterHandle(owner.release());
        SetLastError(ERROR_ALREADY_EXISTS);
        return handle;
      }
    }
    result = posix_layer::MakeFileSection(file, requested, section.get());
    if (result >= 0 && named) owner->file_name = posix_layer::NameFileMapping(key, section);
  }
  if (result < 0) return nullptr;
  owner->section = std::move(section);
  HANDLE handle = posix_layer::RegisterHandle(owner.release());
  SetLastError(static_cast<DWORD>(result));
  return handle;
}

HANDLE OpenFileMappingW(DWORD desired_access, BOOL /*inherit*/, LPCWSTR name) {
  if (name == nullptr || name[0] == 0) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  auto owner = std::make_unique<MappingObject>();
  if (auto existing = posix_layer::FindFileMapping(Utf16ToUtf8(name))) {
    owner->section = existing->section;
    owner->file_name = std::move(existing);
  } else {
    auto section = std::make_shared<Section>();
    section->writable = (desired_access & FILE_MAP_WRITE) != 0;
    if (!posix_layer::JoinPagingSection(name, owner.get(), section.get())) return nullptr;
    owner->section = std::move(section);
  }
  return posix_layer::RegisterHandle(owner.release());
}

LPVOID MapViewOfFile(HANDLE handle, DWORD desired_access, DWORD offset_high, DWORD offset_low,
                     SIZE_T bytes) {
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
  if (offset % posix_layer::kAllocationGranularity != 0 || offset >= section->size) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  const uint64_t length = bytes == 0 ? section->size - offset : bytes;
  if (length > section->size - offset) {
    SetLastError(ERROR_ACCESS_DENIED);
    return nullptr;
  }
  // A view of a file for reading is read whole right after (the engine
  // looks for the text's end at once): its pages are entered with the
  // mapping, in the one call, instead of one fault at a time; on a virtual
  // machine each fault is a costly exit.
  const int populate = !write && section->file_backed ? MAP_POPULATE : 0;
  void* base = sys::Mmap(length, PROT_READ | (write ? PROT_WRITE : 0), section->fd,
                         static_cast<off_t>(offset), populate);
  if (base == MAP_FAILED) {
    posix_layer::SetLastErrorFromErrno(errno);
    return nullptr;
  }
  std::lock_guard<std::mutex> lock(posix_layer::g_views_mutex);
  posix_layer::Views()[base] = posix_layer::View{section, static_cast<size_t>(length)};
  return base;
}

BOOL FlushViewOfFile(LPCVOID base, SIZE_T bytes) {
  if (bytes == 0) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  size_t length = 0;
  {
    std::lock_guard<std::mutex> lock(posix_layer::g_views_mutex);
    auto it = posix_layer::Views().find(base);
    if (it == posix_layer::Views().end()) {
      SetLastError(ERROR_INVALID_ADDRESS);
      return FALSE;
    }
    length = it->second.length;
  }
  if (bytes < length) length = bytes;
  if (sys::Msync(const_cast<void*>(base), length) != 0) {
    posix_layer::SetLastErrorFromErrno(errno);
    return FALSE;
  }
  return TRUE;
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
  // munmap of a range we mapped cannot fail, and a failure could not be
  // undone: it stays outside the table of calls a test may refuse.
  munmap(const_cast<void*>(base), view.length);
  return TRUE;
}
