#include "tools/recoctl/live_sections.h"

#include <cstdio>
#include <cstring>

#include "shared/sections.h"

namespace {

template <typename Block>
std::unique_ptr<Block> CopyLive(LPCWSTR name) {
  ExistingSection section(name, sizeof(Block));
  if (section.View() == nullptr) return nullptr;
  auto block = std::make_unique<Block>();
  std::memcpy(block.get(), section.View(), sizeof(Block));
  return block;
}

}  // namespace

std::unique_ptr<PreferenceBlock> CopyLivePreferences() {
  return CopyLive<PreferenceBlock>(kPreferenceSectionName);
}

std::unique_ptr<ServerBlock> CopyLiveServer() { return CopyLive<ServerBlock>(kServerSectionName); }

std::string WindowWord(HWND window) {
  char buffer[16];
  std::snprintf(buffer, sizeof(buffer), "0x%08X", static_cast<unsigned>(WindowToWord(window)));
  return buffer;
}
