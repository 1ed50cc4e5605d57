// The Latin recognition-range page (template 400): arbitrary strings, short
// phrases, a space after each sent word, result font. It always edits the
// entry of language 1033.
#ifndef RECO_APP_LATIN_RANGE_PAGE_H_
#define RECO_APP_LATIN_RANGE_PAGE_H_

#include "app/range_page.h"

class LatinRangePage : public RangePage {
 protected:
  INT_PTR OnInitTexts(HWND window, UINT message, WPARAM wparam, LPARAM lparam) override;
  INT_PTR OnLoad(HWND window, UINT message, WPARAM wparam, LPARAM lparam) override;
  INT_PTR OnSave(HWND window, UINT message, WPARAM wparam, LPARAM lparam) override;
};

#endif  // RECO_APP_LATIN_RANGE_PAGE_H_
