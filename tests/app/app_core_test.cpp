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
  EXPECT_EQ(1, FontNameList::AddFontFamily(&font.elfLogFont, nullptr, 4,
                                           reinterpret_cast<LPARAM>(&list)));
}

TEST(FontNameList_Add, EachFaceOnceAsFirstMet) {
  FontNameList list;
  Add(list, "Tahoma", 0);
  Add(list, "Tahoma", 134);  // the same face in another character set
  Add(list, "TAHOMA", 1);    // and in other letter case
  Add(list, "Arial", 0);
  EXPECT_EQ((std::vector<std::string>{"Tahoma", "Arial"}), Names(list));
  const LOGFONTW* tahoma = list.Find(TEXT("tahoma"));
  ASSERT_NE(nullptr, tahoma);
  EXPECT_EQ(0, tahoma->lfCharSet) << "the description that arrived first is kept";
  // Missing arguments are skipped; the enumeration still goes on.
  EXPECT_EQ(1, FontNameList::AddFontFamily(nullptr, nullptr, 0, reinterpret_cast<LPARAM>(&list)));
  EXPECT_EQ(1, FontNameList::AddFontFamily(tahoma, nullptr, 0, 0));
  EXPECT_EQ(nullptr, list.At(2));
  list.Clear();
  EXPECT_EQ(0u, list.Count());
  EXPECT_EQ(nullptr, list.Find(TEXT("Arial")));
}

TEST(FontNameList_Sort, AscendingIgnoringCase) {
  const struct {
    std::vector<std::string> added, sorted;
  } cases[] = {
      {{}, {}},
      {{"b", "A", "d", "C", "e", "F", "g"}, {"A", "b", "C", "d", "e", "F", "g"}},
      {{"宋体", "Tahoma", "@宋体", "MS Shell Dlg"}, {"@宋体", "MS Shell Dlg", "Tahoma", "宋体"}},
  };
  for (const auto& c : cases) {
    FontNameList list;
    for (const std::string& name : c.added) Add(list, name);
    list.Sort();
    // The list stays whole after relinking: adding goes on at its end.
    Add(list, "~last");
    std::vector<std::string> expected = c.sorted;
    expected.push_back("~last");
    EXPECT_EQ(expected, Names(list));
  }
}

TEST(RangeValues_FontSizes, FromExtendSize) {
  const struct {
    DWORD extend_size;
    bool any;
    DWORD first, last;
  } cases[] = {
      {16, true, 8, 14}, {54, true, 27, 48},   {9, true, 8, 8},  // 8.1 truncates to 8: one size
      {0, false, 8, 0},  {100, false, 50, 48},
  };
  for (const auto& c : cases) {
    DWORD first = 0, last = 0;
    EXPECT_EQ(c.any, FontSizeRange(c.extend_size, &first, &last)) << c.extend_size;
    EXPECT_EQ(c.first, first) << c.extend_size;
    EXPECT_EQ(c.last, last) << c.extend_size;
  }
}

TEST(RangeValues_Charset, LoadAndSave) {
  const struct {
    DWORD charset;
    int item;
  } loads[] = {{kCharsetGb2312, 0}, {kCharsetGbk, 1}, {kCharsetGb18030, 2}, {0x101, 2}};
  for (const auto& c : loads) EXPECT_EQ(c.item, CharsetItem(c.charset)) << c.charset;
  const struct {
    int item;
    DWORD charset;
  } saves[] = {{-1, kCharsetGb2312}, {0, kCharsetGb2312}, {1, kCharsetGbk}, {2, kCharsetGb18030}};
  for (const auto& s : saves) EXPECT_EQ(s.charset, CharsetForItem(s.item)) << s.item;
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
    for (int i = 0; i < kChineseRangeBoxCount; ++i) {
      if ((mask & (1u << i)) != 0) checked.push_back(kChineseRangeBoxes[i].control_id);
    }
    EXPECT_EQ(c.checked, checked) << std::hex << c.reco_range;
    EXPECT_EQ(c.saved, RangeForCheckedBoxes(mask)) << std::hex << c.reco_range;
  }
}

}  // namespace
