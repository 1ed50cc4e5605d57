// "recopage fit": whether every text of an open page fits its control,
// measured as the control draws it. Windows only.
#ifndef RECO_TOOLS_PAGE_DRIVER_PAGE_FIT_H_
#define RECO_TOOLS_PAGE_DRIVER_PAGE_FIT_H_

#include "platform/platform.h"

namespace page_fit {

// Prints one line per label, check box and group box of `page` (a window of
// another process, made from dialog template `template_id` of its program):
// the width its text needs and the width it has, in pixels, and "clipped"
// when the first is larger. Returns kPageDone when every text fits,
// kPageFailed when one does not or the page cannot be measured.
int Report(HWND page, int template_id);

}  // namespace page_fit

#endif  // RECO_TOOLS_PAGE_DRIVER_PAGE_FIT_H_
