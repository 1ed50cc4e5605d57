// What the two recognition-range pages show for the values of a
// LanguageEntry, and what they store back: pure functions, so that the
// mapping is the same on every platform and testable without a window.
#ifndef RECO_APP_RANGE_VALUES_H_
#define RECO_APP_RANGE_VALUES_H_

#include "platform/platform.h"

// The combo item the load selects for `charset`.
int CharsetItem(DWORD charset);
// The charset the save stores for the selected `item` (-1: no selection).
DWORD CharsetForItem(int item);

// One check box of the Chinese page: the bits that check it on load, and
// the bits a save adds when it is checked.
struct RangeBox {
  int control_id;
  DWORD load_mask;
  DWORD save_bits;
};
constexpr int kChineseRangeBoxCount = 8;
extern const RangeBox kChineseRangeBoxes[kChineseRangeBoxCount];

// The boxes the Chinese page's load checks for an entry's `reco_range`, as a
// mask in which bit i stands for kChineseRangeBoxes[i].
unsigned CheckedRangeBoxes(DWORD reco_range);
// The range its save stores for the `checked` boxes (a mask as above): the
// bits of the checked boxes and nothing else.
DWORD RangeForCheckedBoxes(unsigned checked);

// The Latin page: bit of "recognise arbitrary strings" in RecoRange, and the
// PhraseMode values.
constexpr DWORD kLatinStringBit = 0x10000;
constexpr DWORD kPhraseModeShort = 4;
constexpr DWORD kPhraseModeOther = 3;

// The font sizes offered for `extend_size`: from trunc(max(8, v / 2)) to
// trunc(min(48, v * 0.9)). False when the first exceeds the last (no sizes).
bool FontSizeRange(DWORD extend_size, DWORD* first, DWORD* last);

#endif  // RECO_APP_RANGE_VALUES_H_
