// The one header that system code includes.
//
// System code is written against the Win32/CE API and keeps its names and
// signatures. On Windows this header is <windows.h> plus shims for the few
// calls that exist only on Windows CE; on POSIX it is our own implementation
// of exactly the kernel-level calls the portable core uses. The ce-check
// build (RECO_CE_CHECK) compiles system code for 32-bit ARM against the
// declarations of the CE 5.0 API alone; it comes first because that target
// defines _WIN32 too.
#ifndef RECO_PLATFORM_PLATFORM_H_
#define RECO_PLATFORM_PLATFORM_H_

#include "platform/shell_folder.h"

#if defined(RECO_CE_CHECK)
#include "platform/ce/ce_api.h"
#elif defined(_WIN32)
#include "platform/windows/win32_shims.h"
#else
#include "platform/posix/ce_shims.h"
#include "platform/posix/win32_api.h"
#endif

#endif  // RECO_PLATFORM_PLATFORM_H_
