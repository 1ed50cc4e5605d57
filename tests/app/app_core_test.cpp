// The page logic that needs no window: the font list and the value tables.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/font_name_list.h"
#include "app/range_values.h"
#include "tests/test_support.h"

using test_support::FromUtf8;
using test_support::ToUtf8;

namespace {

// What the enumeration hands the callback: an ENUMLOGFONTEXW, of which the
// list keeps the LOGFONTW at its start.
ENUMLOGFONTEXW Enumerated(const std::string& face, BYTE charset) {
  ENUMLOGFONTEXW font = {};
  StringCchCopyW(font.elfLogFont.lfFaceName, LF_FACESIZE, FromUtf8(face).c_str());
  font.elfLogFont.lfCharSet = charset;
  font.elfLogFont.lfHeight = 12;
  StringCchCopyW(font.elfFullName, LF_FULLFACESIZE, TEXT("not kept"));
  return font;
}

std::vector<std::string> Names(const FontNameList& list) {
  std::vector<std::string> names;
  for (DWORD i = 0; i < list.Count(); ++i) names.push_back(ToUtf8(list.At(i)->lfFaceName));
  return names;
}

void Add(FontNameList& list, const std::string& face, BYTE charset = 0) {
  const ENUMLOGFONTEXW font = Enumerated(face, charset);
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
  EXPECT_EQ(12, tahoma->lfHeight);
  // Missing arguments are skipped; the enumeration still goes on.
  EXPECT_EQ(1, FontNameList::AddFontFamily(nullptr, nullptr, 0, reinterpret_cast<LPARAM>(&list)));
  const ENUMLOGFONTEXW font = Enumerated("Other", 0);
  EXPECT_EQ(1, FontNameList::AddFontFamily(&font.elfLogFont, nullptr, 0, 0));
  EXPECT_EQ(2u, list.Count());
  EXPECT_EQ(nullptr, list.At(2));
  EXPECT_EQ(nullptr, list.At(0xFFFFFFFFu));
  list.Clear();
  EXPECT_EQ(0u, list.Count());
  EXPECT_EQ(nullptr, list.At(0));
  EXPECT_EQ(nullptr, list.Find(TEXT("Arial")));
}

TEST(FontNameList_Sort, AscendingIgnoringCase) {
  struct Case {
    std::vector<std::string> added;
    std::vector<std::string> sorted;
  } cases[] = {
      {{}, {}},
      {{"one"}, {"one"}},
      {{"times", "Courier", "arial"}, {"arial", "Courier", "times"}},
      {{"b", "A", "d", "C", "e", "F", "g"}, {"A", "b", "C", "d", "e", "F", "g"}},
      {{"宋体", "Tahoma", "@宋体", "MS Shell Dlg"}, {"@宋体", "MS Shell Dlg", "Tahoma", "宋体"}},
  };
  for (const Case& c : cases) {
    FontNameList list;
    for (const std::string& name : c.added) Add(list, name);
    list.Sort();
    EXPECT_EQ(c.sorted, Names(list));
    // The list stays whole after relinking: adding goes on at its end.
    Add(list, "zz last");
    EXPECT_EQ("zz last", ToUtf8(list.At(list.Count() - 1)->lfFaceName));
  }
}

TEST(RangeValues_FontSizes, FromExtendSize) {
  struct Case {
    DWORD extend_size;
    bool any;
    DWORD first;
    DWORD last;
  } cases[] = {
      {16, true, 8, 14},    {20, true, 10, 18},
      {54, true, 27, 48},   {0, false, 8, 0},
      {100, false, 50, 48}, {9, true, 8, 8},  // 8.1 truncates to 8: one size
      {10, true, 8, 9},     {0xFFFFFFFFu, false, 2147483647u, 48},
  };
  for (const Case& c : cases) {
    DWORD first = 0;
    DWORD last = 0;
    const bool any = FontSizeRange(c.extend_size, &first, &last);
    EXPECT_EQ(c.first, first) << c.extend_size;
    EXPECT_EQ(c.last, last) << c.extend_size;
    EXPECT_EQ(c.any, any) << c.extend_size;
  }
}

TEST(RangeValues_Charset, LoadAndSave) {
  struct Case {
    DWORD charset;
    int item;
  } loads[] = {{4097, 0}, {4098, 1}, {4099, 2}, {0, 2}, {0x101, 2}};
  for (const Case& c : loads) EXPECT_EQ(c.item, CharsetItem(c.charset)) << c.charset;
  struct Save {
    int item;
    DWORD charset;
  } saves[] = {{-1, 4097}, {0, 4097}, {1, 4098}, {2, 4099}, {7, 4099}};
  for (const Save& s : saves) EXPECT_EQ(s.charset, CharsetForItem(s.item)) << s.item;
}

// The Chinese page's boxes, as a load and then a save without change
// would see them.
TEST(RangeValues_ChineseBoxes, LoadThenSave) {
  struct Case {
    DWORD reco_range;
    std::vector<int> checked;
    DWORD saved;
  } cases[] = {
      {0x08400701, {303, 307, 308}, 0x701}, {0x1000, {309}, 0x5000}, {0x2000, {310}, 0x6000},
      {0x3000, {309, 310}, 0x7000},         {0x200, {307}, 0x300},   {0x4000, {}, 0},
  };
  for (const Case& c : cases) {
    std::vector<int> checked;
    DWORD saved = 0;
    for (const RangeBox& box : kChineseRangeBoxes) {
      if ((c.reco_range & box.load_mask) != 0) {
        checked.push_back(box.control_id);
        saved |= box.save_bits;
      }
    }
    EXPECT_EQ(c.checked, checked) << std::hex << c.reco_range;
    EXPECT_EQ(c.saved, saved) << std::hex << c.reco_range;
  }
}

}  // namespace
