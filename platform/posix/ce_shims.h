// The CE calls the system makes by their CE names. Our POSIX layer gives the
// shell's folders their CE meaning under the desktop names (win32_api.h), so
// each CE name here forwards to the call of the same meaning.
#ifndef RECO_PLATFORM_POSIX_CE_SHIMS_H_
#define RECO_PLATFORM_POSIX_CE_SHIMS_H_

#include "platform/posix/win32_api.h"

inline HRESULT CeSHGetSpecialFolderLocation(HWND owner, int folder, LPITEMIDLIST* id_list) {
  return SHGetSpecialFolderLocation(owner, folder, id_list);
}

#endif  // RECO_PLATFORM_POSIX_CE_SHIMS_H_
