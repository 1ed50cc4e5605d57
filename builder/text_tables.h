// Text tables: regions of the PreferenceBlock made of fixed text slots, each
// filled from one key of one section of a file in the interface-language
// folder, with a default for a missing file, section or key.
//
// The tables are data: one row per slot, read in the order listed. Slots
// that no row names are never written and stay empty.
#ifndef RECO_BUILDER_TEXT_TABLES_H_
#define RECO_BUILDER_TEXT_TABLES_H_

#include "platform/platform.h"

struct TextRow {
  LPCWSTR Section;
  LPCWSTR Key;
  LPCWSTR Default;  // may be longer than the slot: the stored text is cut
  WORD Slot;        // byte offset of the slot in the region
  WORD Capacity;    // UTF-16 units, terminator included
};

struct TextTable {
  const char* Name;   // the region's name, for tools: "RecoOptionTexts"
  LPCWSTR File;       // in the interface-language folder
  DWORD BlockOffset;  // of the region in the PreferenceBlock
  DWORD Size;         // of the region, in bytes
  const TextRow* Rows;
  DWORD RowCount;
};

// Opens `table.File` in `folder` for reading and fills every row's slot in
// `region` with the key's value (empty when the value is empty) or the
// row's default, cut to the slot's capacity less one character. Does nothing
// without a region or a folder.
void LoadTextTable(const TextTable& table, void* region, LPCWSTR folder);

extern const TextTable kErrorTextTable;
extern const TextTable kMainMenuTextTable;
extern const TextTable kAdaptManageTextTable;
extern const TextTable kRecoOptionTextTable;
extern const TextTable kDicManageTextTable;
extern const TextTable kMacroManageTextTable;
extern const TextTable kTabPagesTextTable;
extern const TextTable kWizardTextTable;

// All eight, in the order the builder loads them.
constexpr int kTextTableCount = 8;
extern const TextTable* const kTextTables[kTextTableCount];

#endif  // RECO_BUILDER_TEXT_TABLES_H_
