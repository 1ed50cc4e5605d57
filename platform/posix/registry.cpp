// The registry: keys and values kept in one text file (format in
// platform/posix/win32_api.h).
//
// Every call reads the file afresh and every change rewrites it whole, so
// another process's change is seen at the next call, as with the Windows
// registry. Writers serialise on a lock file beside it and replace the file by
// a rename, so a reader never sees half a file.
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <sstream>
#include <string>
#include <vector>

#include "platform/posix/internal.h"
#include "platform/posix/syscalls.h"
#include "platform/text_convert.h"

namespace posix_layer {
namespace {

using WString = std::basic_string<WCHAR>;

struct RegValue {
  WString name;
  DWORD type = REG_NONE;
  std::vector<BYTE> data;
};

struct RegKey {
  WString path;  // normalised: root name, then components, one backslash between
  std::vector<RegValue> values;
};

using Hive = std::vector<RegKey>;

struct KeyObject : HandleObject {
  KeyObject() : HandleObject(Kind::kRegistryKey) {}
  bool Close() override { return true; }
  WString path;
  REGSAM access = 0;
};

struct RootKey {
  ULONG_PTR value;
  const char16_t* name;
};

constexpr RootKey kRootKeys[] = {
    {0x80000000u, u"HKEY_CLASSES_ROOT"},
    {0x80000001u, u"HKEY_CURRENT_USER"},
    {0x80000002u, u"HKEY_LOCAL_MACHINE"},
    {0x80000003u, u"HKEY_USERS"},
};

WCHAR FoldAscii(WCHAR c) { return (c >= u'a' && c <= u'z') ? static_cast<WCHAR>(c - 32) : c; }

bool SameName(const WString& a, const WString& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (FoldAscii(a[i]) != FoldAscii(b[i])) return false;
  }
  return true;
}

// `path` names `ancestor` or a key below it.
bool IsWithin(const WString& path, const WString& ancestor) {
  if (path.size() < ancestor.size()) return false;
  if (!SameName(path.substr(0, ancestor.size()), ancestor)) return false;
  return path.size() == ancestor.size() || path[ancestor.size()] == u'\\';
}

// Joins `base` and the components of `sub_key`, dropping empty ones.
WString JoinKey(const WString& base, LPCWSTR sub_key) {
  WString result = base;
  if (sub_key == nullptr) return result;
  WString component;
  for (const WCHAR* p = sub_key;; ++p) {
    if (*p == u'\\' || *p == 0) {
      if (!component.empty()) result += u'\\' + component;
      component.clear();
      if (*p == 0) break;
    } else {
      component += *p;
    }
  }
  return result;
}

// The normalised path of `key` + `sub_key`, or an error code.
LONG ResolveKey(HKEY key, LPCWSTR sub_key, WString* path, REGSAM* access) {
  const auto value = reinterpret_cast<ULONG_PTR>(key);
  for (const RootKey& root : kRootKeys) {
    if (root.value == value) {
      *path = JoinKey(root.name, sub_key);
      if (access != nullptr) *access = KEY_ALL_ACCESS;
      return ERROR_SUCCESS;
    }
  }
  const DWORD saved_error = GetLastError();
  auto* object = static_cast<KeyObject*>(LookUpHandle(key, HandleObject::Kind::kRegistryKey));
  SetLastError(saved_error);
  if (object == nullptr) return ERROR_INVALID_HANDLE;
  *path = JoinKey(object->path, sub_key);
  if (access != nullptr) *access = object->access;
  return ERROR_SUCCESS;
}

std::string RegistryFilePath() {
  const char* named = std::getenv("RECO_REGISTRY_FILE");
  if (named != nullptr && named[0] != 0) return named;
  const char* config = std::getenv("XDG_CONFIG_HOME");
  if (config != nullptr && config[0] == '/') return std::string(config) + "/recorange/registry";
  const char* home = std::getenv("HOME");
  return std::string(home != nullptr ? home : "") + "/.config/recorange/registry";
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

// `"name"=type:data`; false when the line is not one.
bool ParseValueLine(const std::string& line, RegValue* value) {
  if (line.size() < 2 || line[0] != '"') return false;
  const size_t name_end = line.find("\"=", 1);
  if (name_end == std::string::npos) return false;
  value->name = Utf8ToUtf16(line.substr(1, name_end - 1));
  const size_t colon = line.find(':', name_end + 2);
  if (colon == std::string::npos || colon == name_end + 2) return false;
  uint64_t type = 0;
  for (size_t i = name_end + 2; i < colon; ++i) {
    if (line[i] < '0' || line[i] > '9' || type > 0xFFFFFFFFu) return false;
    type = type * 10 + static_cast<uint64_t>(line[i] - '0');
  }
  if (type > 0xFFFFFFFFu) return false;
  value->type = static_cast<DWORD>(type);
  const std::string data = line.substr(colon + 1);
  value->data.clear();
  if (!data.empty() && data[0] == '"') {
    if (data.size() < 2 || data.back() != '"') return false;
    WString text = Utf8ToUtf16(data.substr(1, data.size() - 2));
    text.push_back(0);
    const auto* bytes = reinterpret_cast<const BYTE*>(text.data());
    value->data.assign(bytes, bytes + text.size() * sizeof(WCHAR));
    return true;
  }
  if (data.size() % 2 != 0) return false;
  for (size_t i = 0; i < data.size(); i += 2) {
    const int high = HexDigit(data[i]);
    const int low = HexDigit(data[i + 1]);
    if (high < 0 || low < 0) return false;
    value->data.push_back(static_cast<BYTE>(high * 16 + low));
  }
  return true;
}

Hive ParseHive(const std::string& text) {
  Hive hive;
  std::istringstream in(text);
  std::string line;
  RegKey* current = nullptr;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.empty() || line[0] == ';' || line[0] == '#') continue;
    if (line[0] == '[') {
      current = nullptr;
      if (line.back() != ']' || line.size() < 3) continue;
      const WString path = JoinKey(WString(), Utf8ToUtf16(line.substr(1, line.size() - 2)).c_str());
      if (path.empty()) continue;
      const WString normal = path.substr(1);  // JoinKey put a backslash first
      for (RegKey& key : hive) {
        if (SameName(key.path, normal)) current = &key;
      }
      if (current == nullptr) {
        hive.push_back(RegKey{normal, {}});
        current = &hive.back();
      }
      continue;
    }
    RegValue value;
    if (current == nullptr || !ParseValueLine(line, &value)) continue;
    bool replaced = false;
    for (RegValue& old : current->values) {
      if (SameName(old.name, value.name)) {
        old = value;
        replaced = true;
      }
    }
    if (!replaced) current->values.push_back(std::move(value));
  }
  return hive;
}

// Reads the registry file into *hive. A missing file is an empty registry;
// any other failure is reported (a Win32 error), so that a change is never
// written over a registry that could not be read.
LONG ReadHive(const std::string& file, Hive* hive) {
  hive->clear();
  const int fd = sys::Open(file.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0)
    return errno == ENOENT ? ERROR_SUCCESS : static_cast<LONG>(Win32ErrorFromErrno(errno));
  std::string text;
  char buffer[4096];
  for (;;) {
    const ssize_t n = sys::Read(fd, buffer, sizeof(buffer));
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      const int error = errno;
      sys::Close(fd);
      return static_cast<LONG>(Win32ErrorFromErrno(error));
    }
    if (n == 0) break;
    text.append(buffer, static_cast<size_t>(n));
  }
  sys::Close(fd);
  *hive = ParseHive(text);
  return ERROR_SUCCESS;
}

// The text form is used only when it reads back to the very same bytes: a
// string of printable units ending in its one terminator.
bool HasTextForm(const RegValue& value) {
  if (value.type != REG_SZ && value.type != REG_EXPAND_SZ) return false;
  if (value.data.size() < 2 || value.data.size() % 2 != 0) return false;
  WString text(value.data.size() / 2, 0);
  std::memcpy(&text[0], value.data.data(), value.data.size());
  if (text.back() != 0) return false;
  text.pop_back();
  for (WCHAR c : text) {
    if (c < 0x20 || (c >= 0xD800 && c <= 0xDFFF)) return false;
  }
  return Utf8ToUtf16(Utf16ToUtf8(text.c_str(), text.size())) == text;
}

std::string FormatHive(const Hive& hive) {
  static const char kHex[] = "0123456789ABCDEF";
  std::string out = "; Registry of the recognition-range settings tool.\n";
  for (const RegKey& key : hive) {
    out += "[" + Utf16ToUtf8(key.path.c_str(), key.path.size()) + "]\n";
    for (const RegValue& value : key.values) {
      out += "\"" + Utf16ToUtf8(value.name.c_str(), value.name.size()) + "\"=";
      out += std::to_string(value.type) + ":";
      if (HasTextForm(value)) {
        const auto* units = reinterpret_cast<const WCHAR*>(value.data.data());
        out += "\"" + Utf16ToUtf8(units, value.data.size() / 2 - 1) + "\"";
      } else {
        for (BYTE b : value.data) {
          out += kHex[b >> 4];
          out += kHex[b & 15];
        }
      }
      out += "\n";
    }
  }
  return out;
}

bool MakeParentDirectories(const std::string& file) {
  for (size_t slash = file.find('/', 1); slash != std::string::npos;
       slash = file.find('/', slash + 1)) {
    const std::string dir = file.substr(0, slash);
    if (sys::Mkdir(dir.c_str(), 0700) != 0 && errno != EEXIST) return false;
  }
  return true;
}

// Writes `text` as `file` through a synced temporary file and a rename, so
// that the registry file is, at every instant and after a power cut, the
// whole old text or the whole new one.
LONG ReplaceFileText(const std::string& file, const std::string& text) {
  const std::string temp = file + ".tmp" + std::to_string(getpid());
  const int fd = sys::Open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
  if (fd < 0) return static_cast<LONG>(Win32ErrorFromErrno(errno));
  bool ok = WriteAll(fd, text.data(), text.size()) && sys::Fsync(fd) == 0;
  int error = errno;
  if (sys::Close(fd) != 0 && ok) {
    ok = false;
    error = errno;
  }
  if (ok && sys::Rename(temp.c_str(), file.c_str()) != 0) {
    ok = false;
    error = errno;
  }
  if (!ok) {
    sys::Unlink(temp.c_str());
    return static_cast<LONG>(Win32ErrorFromErrno(error));
  }
  // Renamed: the new text is what every reader sees. A failed sync of the
  // folder is reported, though the change may well survive.
  return SyncParentFolder(file) ? ERROR_SUCCESS : static_cast<LONG>(Win32ErrorFromErrno(errno));
}

// Runs `change` on the hive under the writers' lock and stores the result
// when it reports ERROR_SUCCESS. Without the lock nothing is changed: two
// writers would each drop the other's change.
template <typename Change>
LONG ChangeHive(Change change) {
  const std::string file = RegistryFilePath();
  if (!MakeParentDirectories(file)) return static_cast<LONG>(Win32ErrorFromErrno(errno));
  const std::string lock_path = file + ".lock";
  const int lock = sys::Open(lock_path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
  if (lock < 0) return static_cast<LONG>(Win32ErrorFromErrno(errno));
  LONG result = ERROR_SUCCESS;
  while (sys::Flock(lock, LOCK_EX) != 0) {
    if (errno != EINTR) {
      result = static_cast<LONG>(Win32ErrorFromErrno(errno));
      break;
    }
  }
  Hive hive;
  if (result == ERROR_SUCCESS) result = ReadHive(file, &hive);
  if (result == ERROR_SUCCESS) result = change(&hive);
  if (result == ERROR_SUCCESS) result = ReplaceFileText(file, FormatHive(hive));
  sys::Close(lock);  // which also lets the lock go
  return result;
}

RegKey* FindKey(Hive* hive, const WString& path) {
  for (RegKey& key : *hive) {
    if (SameName(key.path, path)) return &key;
  }
  return nullptr;
}

// A key exists when it is listed, is a root, or has a listed subkey (its
// parents exist with it, as in the Windows registry).
bool KeyExists(const Hive& hive, const WString& path) {
  if (path.find(u'\\') == WString::npos) return true;
  for (const RegKey& key : hive) {
    if (IsWithin(key.path, path)) return true;
  }
  return false;
}

HKEY NewKeyHandle(const WString& path, REGSAM access) {
  auto* object = new KeyObject();
  object->path = path;
  object->access = access;
  return static_cast<HKEY>(RegisterHandle(object));
}

}  // namespace
}  // namespace posix_layer

using posix_layer::Hive;
using posix_layer::RegKey;
using posix_layer::RegValue;

LONG RegOpenKeyExW(HKEY key, LPCWSTR sub_key, DWORD /*options*/, REGSAM desired, PHKEY result) {
  if (result == nullptr) return ERROR_INVALID_PARAMETER;
  *result = nullptr;
  posix_layer::WString path;
  const LONG status = posix_layer::ResolveKey(key, sub_key, &path, nullptr);
  if (status != ERROR_SUCCESS) return status;
  Hive hive;
  const LONG read = posix_layer::ReadHive(posix_layer::RegistryFilePath(), &hive);
  if (read != ERROR_SUCCESS) return read;
  if (!posix_layer::KeyExists(hive, path)) return ERROR_FILE_NOT_FOUND;
  *result = posix_layer::NewKeyHandle(path, desired);
  return ERROR_SUCCESS;
}

LONG RegCreateKeyExW(HKEY key, LPCWSTR sub_key, DWORD /*reserved*/, LPWSTR /*class_name*/,
                     DWORD /*options*/, REGSAM desired, LPSECURITY_ATTRIBUTES /*security*/,
                     PHKEY result, LPDWORD disposition) {
  if (result == nullptr) return ERROR_INVALID_PARAMETER;
  *result = nullptr;
  posix_layer::WString path;
  LONG status = posix_layer::ResolveKey(key, sub_key, &path, nullptr);
  if (status != ERROR_SUCCESS) return status;
  bool created = false;
  status = posix_layer::ChangeHive([&](Hive* hive) {
    if (posix_layer::KeyExists(*hive, path)) return ERROR_SUCCESS;
    hive->push_back(RegKey{path, {}});
    created = true;
    return ERROR_SUCCESS;
  });
  if (status != ERROR_SUCCESS) return status;
  if (disposition != nullptr)
    *disposition = created ? REG_CREATED_NEW_KEY : REG_OPENED_EXISTING_KEY;
  *result = posix_layer::NewKeyHandle(path, desired);
  return ERROR_SUCCESS;
}

LONG RegQueryValueExW(HKEY key, LPCWSTR value_name, LPDWORD /*reserved*/, LPDWORD type, LPBYTE data,
                      LPDWORD data_size) {
  if (data != nullptr && data_size == nullptr) return ERROR_INVALID_PARAMETER;
  posix_layer::WString path;
  const LONG status = posix_layer::ResolveKey(key, nullptr, &path, nullptr);
  if (status != ERROR_SUCCESS) return status;
  Hive hive;
  const LONG read = posix_layer::ReadHive(posix_layer::RegistryFilePath(), &hive);
  if (read != ERROR_SUCCESS) return read;
  RegKey* found = posix_layer::FindKey(&hive, path);
  if (found == nullptr) return ERROR_FILE_NOT_FOUND;
  const posix_layer::WString name = value_name != nullptr ? value_name : u"";
  for (const RegValue& value : found->values) {
    if (!posix_layer::SameName(value.name, name)) continue;
    if (type != nullptr) *type = value.type;
    const auto size = static_cast<DWORD>(value.data.size());
    if (data != nullptr) {
      if (*data_size < size) {
        *data_size = size;
        return ERROR_MORE_DATA;
      }
      if (size > 0) std::memcpy(data, value.data.data(), size);
    }
    if (data_size != nullptr) *data_size = size;
    return ERROR_SUCCESS;
  }
  return ERROR_FILE_NOT_FOUND;
}

LONG RegSetValueExW(HKEY key, LPCWSTR value_name, DWORD /*reserved*/, DWORD type, const BYTE* data,
                    DWORD data_size) {
  if (data == nullptr && data_size != 0) return ERROR_INVALID_PARAMETER;
  posix_layer::WString path;
  REGSAM access = 0;
  const LONG status = posix_layer::ResolveKey(key, nullptr, &path, &access);
  if (status != ERROR_SUCCESS) return status;
  if ((access & KEY_SET_VALUE) == 0) return ERROR_ACCESS_DENIED;
  RegValue value;
  value.name = value_name != nullptr ? value_name : u"";
  value.type = type;
  if (data_size > 0) value.data.assign(data, data + data_size);
  return posix_layer::ChangeHive([&](Hive* hive) {
    RegKey* found = posix_layer::FindKey(hive, path);
    if (found == nullptr) {
      // A parent that exists through its subkeys is listed on its first value.
      if (!posix_layer::KeyExists(*hive, path)) return static_cast<LONG>(ERROR_KEY_DELETED);
      hive->push_back(RegKey{path, {}});
      found = &hive->back();
    }
    for (RegValue& old : found->values) {
      if (posix_layer::SameName(old.name, value.name)) {
        old = value;
        return static_cast<LONG>(ERROR_SUCCESS);
      }
    }
    found->values.push_back(value);
    return static_cast<LONG>(ERROR_SUCCESS);
  });
}

LONG RegCloseKey(HKEY key) {
  const auto value = reinterpret_cast<ULONG_PTR>(key);
  for (const posix_layer::RootKey& root : posix_layer::kRootKeys) {
    if (root.value == value) return ERROR_SUCCESS;
  }
  const DWORD saved_error = GetLastError();
  posix_layer::HandleObject* object =
      posix_layer::LookUpHandle(key, posix_layer::HandleObject::Kind::kRegistryKey);
  SetLastError(saved_error);
  if (object == nullptr) return ERROR_INVALID_HANDLE;
  posix_layer::UnregisterHandle(key);
  delete object;
  return ERROR_SUCCESS;
}
