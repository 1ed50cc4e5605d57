// The shell's special folders: only CSIDL_RECO_DATA, which the system asks
// for as the base of its data directory and which is the user's data
// directory here.
#include <cstdlib>
#include <cstring>
#include <string>

#include "platform/posix/internal.h"
#include "platform/shell_folder.h"
#include "platform/text_convert.h"

// An id list is one block from the shell's allocator holding the folder's
// path as zero-terminated UTF-16. The type only names the block: the path is
// written and read as the block's own WCHARs, never through a member.
struct ITEMIDLIST {};

namespace {

class ShellAllocator final : public IMalloc {
 public:
  // One object for the process, as the shell's allocator is: counting keeps
  // the COM contract for callers, but nothing is ever destroyed.
  ULONG AddRef() override { return 1; }
  ULONG Release() override { return 1; }
  void* Alloc(SIZE_T size) override { return std::malloc(size); }
  void Free(void* block) override { std::free(block); }
};

ShellAllocator g_allocator;

std::string UserDataDirectory() {
  const char* data = std::getenv("XDG_DATA_HOME");
  if (data != nullptr && data[0] == '/') return data;
  const char* home = std::getenv("HOME");
  if (home != nullptr && home[0] == '/') return std::string(home) + "/.local/share";
  return std::string();
}

}  // namespace

HRESULT SHGetMalloc(LPMALLOC* malloc) {
  if (malloc == nullptr) return E_INVALIDARG;
  *malloc = &g_allocator;
  return S_OK;
}

HRESULT SHGetSpecialFolderLocation(HWND /*owner*/, int folder, LPITEMIDLIST* id_list) {
  if (id_list == nullptr) return E_INVALIDARG;
  *id_list = nullptr;
  if (folder != CSIDL_RECO_DATA) return E_INVALIDARG;
  const std::string host = UserDataDirectory();
  if (host.empty()) return E_FAIL;
  std::basic_string<WCHAR> path = Utf8ToUtf16(host);
  for (WCHAR& c : path) {
    if (c == u'/') c = u'\\';
  }
  const size_t bytes = (path.size() + 1) * sizeof(WCHAR);
  void* block = g_allocator.Alloc(bytes);
  if (block == nullptr) return E_OUTOFMEMORY;
  std::memcpy(block, path.c_str(), bytes);
  *id_list = static_cast<ITEMIDLIST*>(block);
  return S_OK;
}

BOOL SHGetPathFromIDListW(LPCITEMIDLIST id_list, LPWSTR path) {
  if (path == nullptr) return FALSE;
  path[0] = 0;
  if (id_list == nullptr) return FALSE;
  const auto* stored = reinterpret_cast<const WCHAR*>(id_list);
  const size_t length = std::char_traits<WCHAR>::length(stored);
  if (length == 0 || length >= MAX_PATH) return FALSE;
  std::memcpy(path, stored, (length + 1) * sizeof(WCHAR));
  return TRUE;
}
