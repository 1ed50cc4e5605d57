// The Latin recognition-range page (template 400): arbitrary strings, short
// phrases, a space after each sent word, result font. It always edits the
// entry of language 1033.
#ifndef RECO_APP_LATIN_RANGE_PAGE_H_
#define RECO_APP_LATIN_RANGE_PAGE_H_

#include "app/range_page.h"

constexpr int IDC_LATIN_STRING = 303;
constexpr int IDC_LATIN_SHORT_PHRASE = 304;
constexpr int IDC_LATIN_AUTO_SPACE = 305;
constexpr int IDC_OUTPUT_GROUP = 407;

class LatinRangePage : public RangePage {
 protected:
  INT_PTR OnInitTexts(HWND window, UINT message, WPARAM wparam, LPARAM lparam) override;
  INT_PTR OnLoad(HWND window, UINT message, WPARAM wparam, LPARAM lparam) override;
  INT_PTR OnSave(HWND window, UINT message, WPARAM wparam, LPARAM lparam) override;
};

#endif  // RECO_APP_LATIN_RANGE_PAGE_H_
