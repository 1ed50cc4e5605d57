// The running executable's path.
#include <unistd.h>

#include <cerrno>
#include <string>

#include "platform/posix/internal.h"
#include "platform/text_convert.h"

DWORD GetModuleFileNameW(HMODULE module, LPWSTR file_name, DWORD size) {
  if (module != nullptr) {
    SetLastError(ERROR_MOD_NOT_FOUND);
    return 0;
  }
  std::string host(4096, '\0');
  const ssize_t length = readlink("/proc/self/exe", &host[0], host.size());
  if (length <= 0 || static_cast<size_t>(length) >= host.size()) {
    posix_layer::SetLastErrorFromErrno(length < 0 ? errno : ENAMETOOLONG);
    return 0;
  }
  host.resize(static_cast<size_t>(length));
  std::basic_string<WCHAR> path = Utf8ToUtf16(host);
  for (WCHAR& c : path) {
    if (c == u'/') c = u'\\';
  }
  if (size == 0 || file_name == nullptr) {
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return 0;
  }
  // Windows since Vista: a cut path is still terminated, the result is the
  // buffer size and the error ERROR_INSUFFICIENT_BUFFER (XP left the path
  // unterminated and the error unset).
  if (path.size() >= size) {
    path.copy(file_name, size - 1);
    file_name[size - 1] = 0;
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return size;
  }
  path.copy(file_name, path.size());
  file_name[path.size()] = 0;
  SetLastError(ERROR_SUCCESS);
  return static_cast<DWORD>(path.size());
}
