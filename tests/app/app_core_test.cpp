// The page logic that needs no window: the font list and the values the
// pages show and store.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/font_name_list.h"
#include "app/range_values.h"
#include "resources/app/resource.h"
#include "shared/preference_block.h"
#include "tests/test_support.h"

using test_support::FromUtf8;
using test_support::ToUtf8;

namespace {

std::vector<std::string> Names(const FontNameList& list) {
  std::vector<std::string> names;
  for (DWORD i = 0; i < list.Count(); ++i) names.push_back(ToUtf8(list.At(i)->lfFaceName));
  return names;
}

// Hands the callback what the enumeration hands it: an ENUMLOGFONTEXW, of
// which the list keeps the LOGFONTW at its start.
void Add(FontNameList& list, const std::string& face, BYTE charset = 0) {
  ENUMLOGFONTEXW font = {};
  StringCchCopyW(font.elfLogFont.lfFaceName, LF_FACESIZE, FromUtf8(face).c_str());
  font.elfLogFont.lfCharSet = charset;
  FontNameList::AddFontFamily(&font.elfLogFont, nullptr, 4, reinterpret_cast<LPARAM>(&list));
}

// Each face once, as first met, whatever its character set or letter case;
// then sorted ascending ignoring case.
TEST(FontNameList_AddAndSort, EachFaceOnceAscendingIgnoringCase) {
  FontNameList list;
  for (const char* face : {"b", "A", "宋体", "d", "C", "TAHOMA", "@宋体", "MS Shell Dlg", "tahoma"})
    Add(list, face);
  Add(list, "B", 134);
  const LOGFONTW* b = list.Find(TEXT("B"));
  ASSERT_NE(nullptr, b);
  EXPECT_EQ(0, b->lfCharSet) << "the description that arrived first is kept";
  list.Sort();
  EXPECT_EQ(
      (std::vector<std::string>{"@宋体", "A", "b", "C", "d", "MS Shell Dlg", "TAHOMA", "宋体"}),
      Names(list));
  // Missing arguments are skipped.
  FontNameList::AddFontFamily(nullptr, nullptr, 0, reinterpret_cast<LPARAM>(&list));
  FontNameList::AddFontFamily(b, nullptr, 0, 0);
  EXPECT_EQ(8u, list.Count());
  // A cleared list starts again, and a face it held is new to it.
  Add(list, "zz");  // after a sort a new face still goes last
  EXPECT_EQ("zz", Names(list).back());
  FontNameList empty;
  empty.Sort();  // an empty list sorts to nothing
  EXPECT_EQ(0u, empty.Count());
  list.Clear();
  Add(list, "A");
  EXPECT_EQ(std::vector<std::string>{"A"}, Names(list));
}

// first-last of each extend size, "/" when there is no size: 8.1 truncates
// to 8, one size.
TEST(RangeValues_FontSizes, FromExtendSize) {
  std::string out;
  for (DWORD extend_size : {16, 54, 9, 100}) {
    DWORD first = 0, last = 0;
    const bool any = FontSizeRange(extend_size, &first, &last);
    out += std::to_string(first) + (any ? "-" : "/") + std::to_string(last) + " ";
  }
  EXPECT_EQ("8-14 27-48 8-8 50/48 ", out);
}

// The item of each charset (an unknown one is GB18030's), then the charset
// each item saves (no selection, -1, saves GB2312).
TEST(RangeValues_Charset, LoadAndSave) {
  std::string out;
  for (DWORD charset : {kCharsetGb2312, kCharsetGbk, kCharsetGb18030, DWORD{0x101}})
    out += std::to_string(CharsetItem(charset)) + " ";
  for (int item : {-1, 0, 1, 2}) out += std::to_string(CharsetForItem(item)) + " ";
  EXPECT_EQ("0 1 2 2 4097 4097 4098 4099 ", out);
}

// The Chinese page's boxes as its load checks them, and the range a save
// then stores without a change.
TEST(RangeValues_ChineseBoxes, LoadThenSave) {
  const struct {
    DWORD reco_range;
    std::vector<int> checked;
    DWORD saved;
  } cases[] = {
      {0x08400701, {IDC_STANDARD_CHARS, IDC_ENGLISH_LETTERS, IDC_DIGITS}, 0x701},
      {0x200, {IDC_ENGLISH_LETTERS}, 0x300},
      {0x1000, {IDC_CHINESE_PUNCTUATION}, 0x5000},
      {0x2000, {IDC_ENGLISH_PUNCTUATION}, 0x6000},
      {0x4000, {}, 0},
      {0xE, {IDC_SPECIAL_RADICALS, IDC_TRADITIONAL_FORMS, IDC_CURSIVE_SCRIPT}, 0xE},
  };
  for (const auto& c : cases) {
    const unsigned mask = CheckedRangeBoxes(c.reco_range);
    std::vector<int> checked;
    for (int i = 0; i < kChineseRangeBoxCount; ++i)
      if ((mask & (1u << i)) != 0) checked.push_back(kChineseRangeBoxes[i].control_id);
    EXPECT_EQ(c.checked, checked) << std::hex << c.reco_range;
    EXPECT_EQ(c.saved, RangeForCheckedBoxes(mask)) << std::hex << c.reco_range;
  }
}

}  // namespace
