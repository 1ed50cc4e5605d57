// The Windows CE 5.0 API as the system uses it: the ce-check build's platform
// header (platform/platform.h picks it when RECO_CE_CHECK is defined).
//
// It declares exactly the types, constants, structures and calls that system
// code names, each as the CE 5.0 reference gives it, so that compiling system
// code against it fails on anything CE 5.0 lacks (a desktop-only call, flag or
// message) and on any signature that differs from CE's. Nothing is defined
// here but macros, types and the inline helpers of ours in ce_shell.h: the
// build compiles, it does not link. docs/platform.md names the reference page
// behind each entry and where the desktop and POSIX layers differ.
//
// A new call in system code needs its declaration here, written from its CE
// 5.0 page, and a row in docs/platform.md.
#ifndef RECO_PLATFORM_CE_CE_API_H_
#define RECO_PLATFORM_CE_CE_API_H_

#include "platform/ce/ce_kernel.h"
#include "platform/ce/ce_shell.h"
#include "platform/ce/ce_types.h"
#include "platform/ce/ce_user.h"

#endif  // RECO_PLATFORM_CE_CE_API_H_
