// Text tables: the rows against the region layouts; every slot holding its
// default cut to the slot, and what a file changes: empty values, long
// values, keys in other sections.
#include "builder/text_tables.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "builder/loaders.h"
#include "tests/builder/builder_test_util.h"

namespace builder_test {
namespace {

// Loads every table from `dir` (with its final backslash).
void LoadAll(FreshBlock& b, const WString& dir) {
  for (const TextTable* table : kTextTables)
    LoadTextTable(*table, reinterpret_cast<BYTE*>(&*b) + table->BlockOffset, dir.c_str());
}

// Section/Key=text of every slot that differs from its default cut to the
// slot.
std::string Changed(const PreferenceBlock& b) {
  std::string out;
  for (const TextTable* table : kTextTables) {
    for (DWORD r = 0; r < table->RowCount; ++r) {
      const TextRow& row = table->Rows[r];
      const std::string text = SlotText(b, *table, row);
      if (text == ToUtf8(WString(row.Default).substr(0, row.Capacity - 1u))) continue;
      out += (out.empty() ? "" : " ") + ToUtf8(row.Section) + "/" + ToUtf8(row.Key) + "=" + text;
    }
  }
  return out;
}

// Every slot lies inside its region and no two overlap.
TEST(TextTables_Rows, FitTheirRegions) {
  for (const TextTable* table : kTextTables) {
    std::vector<int> owner(table->Size, -1);
    for (DWORD r = 0; r < table->RowCount; ++r) {
      const TextRow& row = table->Rows[r];
      const DWORD end = row.Slot + row.Capacity * sizeof(WCHAR);
      ASSERT_LE(end, table->Size) << table->Name << " row " << r;
      for (DWORD b = row.Slot; b < end; ++b) {
        ASSERT_EQ(-1, owner[b]) << table->Name << " rows " << owner[b] << " and " << r;
        owner[b] = static_cast<int>(r);
      }
    }
  }
}

TEST(TextTables_Load, DefaultsEmptyValuesLongValuesAndSections) {
  const Row rows[] = {
      {"", ""},                                                    // 0: every slot its default
      {">Common.ini\n[MAIN MENU]\nChPun=\n", "MAIN MENU/ChPun="},  // 1: empty, not the default
      // 2: a long default is read through a wider buffer; a long value is cut
      {">Common.ini\n[MAIN MENU]\nchpun=A value longer than the slot, cut at 31\n",
       "MAIN MENU/ChPun=A value longer than the slot, c"},
      {">Common.ini\n[ERROR]\nERROR_TITLE=Twelve chars\n", "ERROR/ERROR_TITLE=Twelve ch"},  // 3
      // 4: the about page's texts are not in "ID_ABOUT"; the wizard reads its
      // own file only.
      {">Common.ini\n[TABPAGES]\nID_ABOUT=A\n[ID_ABOUT]\nProductName=P\n>Wizard.ini\n[ID_SEARCH]\n"
       "GROUPNAME=G\n[ID_ABOUT]\nTopic=x\n",
       "TABPAGES/ID_ABOUT=A ID_SEARCH/GROUPNAME=G"},
  };
  ExpectRows(rows, LoadAll, Changed);
}

}  // namespace
}  // namespace builder_test
