#include "tools/recoctl/live_block.h"

#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include "platform/platform.h"
#include "shared/messages.h"
#include "shared/sections.h"
#include "tools/recoctl/block_decoder.h"
#include "tools/recoctl/host.h"

namespace live_block {

int Show(bool json) {
  const std::unique_ptr<PreferenceBlock> block = CopyLivePreferences();
  if (block == nullptr) {
    PrintErr("recoctl: no process holds the preference section\n");
    return kLiveFailed;
  }
  PrintOut(DescribePreferenceBlock(*block, json));
  return kLiveDone;
}

int Dump(const std::string& host_path) {
  const std::unique_ptr<PreferenceBlock> block = CopyLivePreferences();
  if (block == nullptr) {
    PrintErr("recoctl: no process holds the preference section\n");
    return kLiveFailed;
  }
  std::ofstream out(std::filesystem::u8path(host_path), std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(block.get()), sizeof(PreferenceBlock));
  if (!out) {
    PrintErr("recoctl: could not write " + host_path + "\n");
    return kLiveFailed;
  }
  PrintOut("wrote " + std::to_string(sizeof(PreferenceBlock)) + " bytes to " + host_path + "\n");
  return kLiveDone;
}

int Use(const std::function<bool(PreferenceBlock*)>& use, bool change) {
  const DWORD access = change ? FILE_MAP_WRITE : FILE_MAP_READ;
  HANDLE mapping = OpenFileMappingW(access, FALSE, kPreferenceSectionName);
  void* view =
      mapping != nullptr ? MapViewOfFile(mapping, access, 0, 0, sizeof(PreferenceBlock)) : nullptr;
  if (view == nullptr) {
    if (mapping != nullptr) CloseHandle(mapping);
    PrintErr("recoctl: no process holds the preference section\n");
    return kLiveFailed;
  }
  bool done = false;
  if (change) {
    done = use(static_cast<PreferenceBlock*>(view));
  } else {
    auto copy = std::make_unique<PreferenceBlock>();
    std::memcpy(copy.get(), view, sizeof(PreferenceBlock));
    done = use(copy.get());
  }
  UnmapViewOfFile(view);
  CloseHandle(mapping);
  if (!done) return kLiveUnsupported;
  if (!change) return kLiveDone;
  // As a confirmed page does: the entry first, then one notification to
  // whatever ServerWindow names, unasked.
  ExistingSection section(kServerSectionName, sizeof(ServerBlock));
  const auto* server = static_cast<const ServerBlock*>(section.View());
  const DWORD target = server != nullptr ? server->ServerWindow : 0;
  if (server != nullptr) {
    PostMessageW(WordToWindow(target), WM_SERVER_NOTIFY, NOTIFY_RANGE_CHANGED, 0);
  }
  PrintOut("changed the preference section; notified ServerWindow " +
           WindowWord(WordToWindow(target)) + "\n");
  return kLiveDone;
}

}  // namespace live_block
