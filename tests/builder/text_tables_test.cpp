// Text tables: the rows against the region layouts, then the loads'
// defaults, cuts, missing sections and keys that are never read.
#include "builder/text_tables.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "builder/loaders.h"
#include "shared/preference_block.h"
#include "tests/builder/builder_test_util.h"

using builder_test::Utf8;
using builder_test::WriteIni;
using test_support::TempDir;
using test_support::WString;

namespace {

// Every row's slot lies inside its region, no two slots overlap, and the
// row counts are those of the tables.
TEST(TextTables_Rows, FitTheirRegions) {
  const DWORD expected_rows[kTextTableCount] = {6, 26, 4, 37, 6, 10, 65, 37};
  for (int t = 0; t < kTextTableCount; ++t) {
    const TextTable& table = *kTextTables[t];
    EXPECT_EQ(expected_rows[t], table.RowCount) << table.Name;
    std::vector<int> owner(table.Size, -1);
    for (DWORD r = 0; r < table.RowCount; ++r) {
      const TextRow& row = table.Rows[r];
      const DWORD end = row.Slot + row.Capacity * sizeof(WCHAR);
      ASSERT_LE(end, table.Size) << table.Name << " row " << r;
      for (DWORD b = row.Slot; b < end; ++b) {
        ASSERT_EQ(-1, owner[b]) << table.Name << " rows " << owner[b] << " and " << r;
        owner[b] = static_cast<int>(r);
      }
    }
  }
  EXPECT_EQ(sizeof(PreferenceBlock), kWizardTextTable.BlockOffset + kWizardTextTable.Size);
}

// Loads `table` from a folder holding `file_text` (nullptr: no file) into a
// new block; returns the block.
std::unique_ptr<PreferenceBlock> Load(const TextTable& table, const char* file_text) {
  TempDir dir;
  if (file_text != nullptr) WriteIni(dir / WString(table.File), file_text);
  auto block = std::make_unique<PreferenceBlock>();
  LoadTextTable(table, reinterpret_cast<BYTE*>(block.get()) + table.BlockOffset,
                dir.Path().c_str());
  return block;
}

// Slots whose text is not empty, as "offset=text", in the order read.
std::string NonEmptySlots(const PreferenceBlock& block, const TextTable& table) {
  const BYTE* region = reinterpret_cast<const BYTE*>(&block) + table.BlockOffset;
  std::string out;
  for (DWORD r = 0; r < table.RowCount; ++r) {
    const TextRow& row = table.Rows[r];
    const std::string text = Utf8(reinterpret_cast<const WCHAR*>(region + row.Slot), row.Capacity);
    if (!text.empty()) out += (out.empty() ? "" : " ") + std::to_string(row.Slot) + "=" + text;
  }
  return out;
}

TEST(TextTables_Load, RecoOptionSlots) {
  struct Case {
    const char* file;
    const char* slots;
  };
  const Case cases[] = {
      /* 0 */ {"[Common]\nRecoRange=Range\n", "64=Range"},
      /* 1 */ {"[Simplified Chinese]\nchk3=Cursive\nCHK10=Never read\n", "896=Cursive"},
      /* 2 */
      {"[Simplified Chinese]\nCHK2=A check box text of exactly forty chars\nCHK3=Next\n",
       "832=A check box text of exactly for 896=Next"},
      /* 3 */
      {"[English]\nString=Strings\n[Traditional Chinese]\nCHK9=Zhuyin\n",
       "2048=Zhuyin 2176=Strings"},
      /* 4 */ {nullptr, ""},
  };
  for (size_t i = 0; i < sizeof(cases) / sizeof(cases[0]); ++i) {
    auto block = Load(kRecoOptionTextTable, cases[i].file);
    EXPECT_EQ(cases[i].slots, NonEmptySlots(*block, kRecoOptionTextTable)) << "row " << i;
  }
}

TEST(TextTables_Load, DefaultsAndCuts) {
  struct Case {
    const TextTable* table;
    const char* file;  // nullptr: no file
    WORD slot;
    const char* text;
  };
  const Case cases[] = {
      /* 0 */ {&kErrorTextTable, "[ERROR]\nERROR_TITLE=Twelve chars\n", 0, "Twelve ch"},
      /* 1 */ {&kErrorTextTable, "[OTHER]\nX=1\n", 0, "ERROR"},
      /* 2 */ {&kErrorTextTable, nullptr, 148, "INVALID_FUNCTION"},
      /* 3 */ {&kErrorTextTable, nullptr, 532, "DATA_EXIST"},
      /* 4 */ {&kMainMenuTextTable, nullptr, 832, "Output Chinese Punctuation (Key"},
      /* 5 */
      {&kMainMenuTextTable, "[MAIN MENU]\nChPun=Twenty characters.\n", 832, "Twenty characters."},
      /* 6 */ {&kMainMenuTextTable, "[MAIN MENU]\nChPun=\n", 832, ""},
      /* 7 */ {&kMainMenuTextTable, nullptr, 1536, "Recognized Language List\u2026"},
      /* 8 */ {&kDicManageTextTable, "[DICMANAGE]\nWord=Mot\n", 64, "Language: "},
      /* 9 */ {&kWizardTextTable, "[ID_ABOUT]\nTopic=x\n", 0, "Wizard"},
      /* 10 */ {&kWizardTextTable, "[ID_ABOUT]\nTopic=x\n", 2560, "Language"},
      /* 11 */ {&kTabPagesTextTable, nullptr, 576, "LeftHand"},
  };
  for (size_t i = 0; i < sizeof(cases) / sizeof(cases[0]); ++i) {
    const Case& c = cases[i];
    auto block = Load(*c.table, c.file);
    const BYTE* region = reinterpret_cast<const BYTE*>(block.get()) + c.table->BlockOffset;
    EXPECT_EQ(c.text, Utf8(reinterpret_cast<const WCHAR*>(region + c.slot), 32))
        << "row " << i << ": " << c.table->Name << " slot " << c.slot;
  }
}

TEST(TextTables_Load, MissingCommonIniLeavesOnlyListedDefaults) {
  auto block = Load(kTabPagesTextTable, nullptr);
  EXPECT_EQ(
      "0=System Option 576=LeftHand 2432=Press Enable 1728=Pen Type 1984=System 1856=Fountain "
      "1792=Pencil 1920=Brush 2048=Width 2112=Color 2176=Color Rate",
      NonEmptySlots(*block, kTabPagesTextTable));
  block = Load(kMacroManageTextTable, nullptr);
  EXPECT_EQ("", NonEmptySlots(*block, kMacroManageTextTable));
}

TEST(TextTables_Load, PageNamesWithoutPageSections) {
  auto block = Load(kTabPagesTextTable,
                    "[TABPAGES]\nTopic=Options\nID_RECOGNIZER=R\nID_SOUND=S\nID_PEN=P\n"
                    "ID_GESTURE=G\nID_SEARCH=F\nID_ICON=I\nID_SKIN=K\nID_MANAGE=M\nID_ABOUT=A\n"
                    "[ID_ABOUT]\nProductName=Not here\n");
  const TabPagesTextsRegion& t = block->TabPagesTexts;
  EXPECT_EQ("Options|R|S|P|G|F|I|K|M|A",
            Utf8(t.Topic) + "|" + Utf8(t.Recognizer) + "|" + Utf8(t.Sound) + "|" + Utf8(t.Pen) +
                "|" + Utf8(t.Gesture) + "|" + Utf8(t.Search) + "|" + Utf8(t.Icon) + "|" +
                Utf8(t.Skin) + "|" + Utf8(t.Manage) + "|" + Utf8(t.About));
  EXPECT_EQ("", Utf8(t.ProductName));
  EXPECT_EQ("Pen Type", Utf8(t.PenType));
}

}  // namespace
