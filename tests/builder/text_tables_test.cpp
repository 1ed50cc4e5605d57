// Text tables: the rows against the region layouts, every slot holding its
// default cut to the slot; then what a file changes: empty values, long
// values, keys in other sections, keys never read.
#include "builder/text_tables.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "builder/loaders.h"
#include "tests/builder/builder_test_util.h"

namespace builder_test {
namespace {

const WCHAR* SlotOf(const PreferenceBlock& b, const TextTable& table, const TextRow& row) {
  return reinterpret_cast<const WCHAR*>(reinterpret_cast<const BYTE*>(&b) + table.BlockOffset +
                                        row.Slot);
}

// Loads every table from `dir` (with its final backslash).
void LoadAll(FreshBlock& b, const WString& dir) {
  for (const TextTable* table : kTextTables) {
    LoadTextTable(*table, reinterpret_cast<BYTE*>(&*b) + table->BlockOffset, dir.c_str());
  }
}

// Every slot lies inside its region and no two overlap; without files every
// slot holds its default cut to the slot, and no byte outside a slot is
// written.
TEST(TextTables_Rows, FitTheirRegionsAndHoldTheirDefaults) {
  EXPECT_EQ(sizeof(PreferenceBlock), kWizardTextTable.BlockOffset + kWizardTextTable.Size);
  TempDir dir;
  FreshBlock block;
  ASSERT_TRUE(block.Opened());
  LoadAll(block, InstallDirOf(dir));
  for (int t = 0; t < kTextTableCount; ++t) {
    const TextTable& table = *kTextTables[t];
    std::vector<int> owner(table.Size, -1);
    for (DWORD r = 0; r < table.RowCount; ++r) {
      const TextRow& row = table.Rows[r];
      const DWORD end = row.Slot + row.Capacity * sizeof(WCHAR);
      ASSERT_LE(end, table.Size) << table.Name << " row " << r;
      for (DWORD b = row.Slot; b < end; ++b) {
        ASSERT_EQ(-1, owner[b]) << table.Name << " rows " << owner[b] << " and " << r;
        owner[b] = static_cast<int>(r);
      }
      EXPECT_EQ(ToUtf8(WString(row.Default).substr(0, row.Capacity - 1u)),
                Utf8(SlotOf(*block, table, row), row.Capacity))
          << table.Name << " row " << r;
    }
    const BYTE* region = reinterpret_cast<const BYTE*>(&*block) + table.BlockOffset;
    for (DWORD b = 0; b < table.Size; ++b) {
      EXPECT_TRUE(owner[b] >= 0 || region[b] == 0) << table.Name << " byte " << b << " written";
    }
  }
}

// Section/Key=text of every slot that differs from its default.
std::string Changed(const PreferenceBlock& b) {
  std::string out;
  for (const TextTable* table : kTextTables) {
    for (DWORD r = 0; r < table->RowCount; ++r) {
      const TextRow& row = table->Rows[r];
      const std::string text = Utf8(SlotOf(b, *table, row), row.Capacity);
      if (text == ToUtf8(WString(row.Default).substr(0, row.Capacity - 1u))) continue;
      out += (out.empty() ? "" : " ") + ToUtf8(row.Section) + "/" + ToUtf8(row.Key) + "=" + text;
    }
  }
  return out;
}

TEST(TextTables_Load, EmptyValuesOtherSectionsAndUnreadKeys) {
  const Row rows[] = {
      {">Common.ini\n[MAIN MENU]\nChPun=\n", "MAIN MENU/ChPun="},  // 0: empty, not the default
      // 1: a long default is read through a wider buffer; a long value is cut
      {">Common.ini\n[MAIN MENU]\nchpun=A value longer than the slot, cut at 31\n",
       "MAIN MENU/ChPun=A value longer than the slot, c"},
      {">Common.ini\n[ERROR]\nERROR_TITLE=Twelve chars\n", "ERROR/ERROR_TITLE=Twelve ch"},  // 2
      {">RecoOption.ini\n[Simplified Chinese]\nCHK10=Never read\nCHK3=Cursive\n",
       "Simplified Chinese/CHK3=Cursive"},  // 3
      // 4: the about page's texts are not in "ID_ABOUT"; the wizard reads its
      // own files only.
      {">Common.ini\n[TABPAGES]\nID_ABOUT=A\n[ID_ABOUT]\nProductName=P\n>Wizard.ini\n[ID_SEARCH]\n"
       "GROUPNAME=G\n[ID_ABOUT]\nTopic=x\n",
       "TABPAGES/ID_ABOUT=A ID_SEARCH/GROUPNAME=G"},
      {">Other.ini\n[MAIN MENU]\nChPun=x\n[OTHER]\nX=1\n", ""},  // 5
  };
  ExpectRows(rows, LoadAll, Changed);
}

}  // namespace
}  // namespace builder_test
