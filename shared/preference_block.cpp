#include "shared/preference_block.h"

LanguageEntry* FindLanguageEntry(PreferenceBlock* block, WORD lang_id) {
  if (block == nullptr) return nullptr;
  for (LanguageEntry& entry : block->Entries) {
    if (entry.LangId == static_cast<DWORD>(lang_id)) return &entry;
  }
  return nullptr;
}
