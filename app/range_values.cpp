#include "app/range_values.h"

// English letters take two bits; either one checks the box, a save stores
// both. Either punctuation box also sets 0x4000, which the recognizer reads
// as "some punctuation".
const RangeBox kChineseRangeBoxes[kChineseRangeBoxCount] = {
    {303, 0x1, 0x1},     {304, 0x2, 0x2},     {305, 0x4, 0x4},       {306, 0x8, 0x8},
    {307, 0x300, 0x300}, {308, 0x400, 0x400}, {309, 0x1000, 0x5000}, {310, 0x2000, 0x6000},
};

int CharsetItem(DWORD charset) {
  if (charset == kCharsetGb2312) return 0;
  if (charset == kCharsetGbk) return 1;
  return 2;
}

DWORD CharsetForItem(int item) {
  if (item <= 0) return kCharsetGb2312;
  if (item == 1) return kCharsetGbk;
  return kCharsetGb18030;
}

bool FontSizeRange(DWORD extend_size, DWORD* first, DWORD* last) {
  const double v = static_cast<double>(extend_size);
  const double low = v * 0.5 > 8.0 ? v * 0.5 : 8.0;
  const double high = v * 0.9 < 48.0 ? v * 0.9 : 48.0;
  *first = static_cast<DWORD>(low);
  *last = static_cast<DWORD>(high);
  return *first <= *last;
}
