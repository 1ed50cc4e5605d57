#include "app/range_values.h"

#include "resources/app/resource.h"
#include "shared/preference_block.h"

// English letters take two bits; either one checks the box, a save stores
// both. Either punctuation box also sets 0x4000, which the recognizer reads
// as "some punctuation".
const RangeBox kChineseRangeBoxes[kChineseRangeBoxCount] = {
    {IDC_STANDARD_CHARS, 0x1, 0x1},
    {IDC_SPECIAL_RADICALS, 0x2, 0x2},
    {IDC_TRADITIONAL_FORMS, 0x4, 0x4},
    {IDC_CURSIVE_SCRIPT, 0x8, 0x8},
    {IDC_ENGLISH_LETTERS, 0x300, 0x300},
    {IDC_DIGITS, 0x400, 0x400},
    {IDC_CHINESE_PUNCTUATION, 0x1000, 0x5000},
    {IDC_ENGLISH_PUNCTUATION, 0x2000, 0x6000},
};

unsigned CheckedRangeBoxes(DWORD reco_range) {
  unsigned checked = 0;
  for (int i = 0; i < kChineseRangeBoxCount; ++i) {
    if ((reco_range & kChineseRangeBoxes[i].load_mask) != 0) checked |= 1u << i;
  }
  return checked;
}

DWORD RangeForCheckedBoxes(unsigned checked) {
  DWORD range = 0;
  for (int i = 0; i < kChineseRangeBoxCount; ++i) {
    if ((checked & (1u << i)) != 0) range |= kChineseRangeBoxes[i].save_bits;
  }
  return range;
}

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
