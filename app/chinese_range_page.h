// The Simplified Chinese recognition-range page (template 325): character
// set, eight recognition ranges, result font.
#ifndef RECO_APP_CHINESE_RANGE_PAGE_H_
#define RECO_APP_CHINESE_RANGE_PAGE_H_

#include "app/range_page.h"

class ChineseRangePage : public RangePage {
 protected:
  INT_PTR OnInitTexts(HWND window, UINT message, WPARAM wparam, LPARAM lparam) override;
  INT_PTR OnLoad(HWND window, UINT message, WPARAM wparam, LPARAM lparam) override;
  INT_PTR OnSave(HWND window, UINT message, WPARAM wparam, LPARAM lparam) override;
};

#endif  // RECO_APP_CHINESE_RANGE_PAGE_H_
