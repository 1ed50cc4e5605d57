// A device without the page: "serve --hold" keeps the preference section
// as a real server does, so what a page confirmed outlives it and the next
// start uses it as found; "settings set --live" changes it and notifies the
// server once, as a confirmation does.
#include <cstring>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "resources/app/resource.h"
#include "shared/sections.h"
#include "tests/e2e/e2e_driver.h"
#include "tests/shared/test_env.h"

namespace e2e {
namespace {

constexpr DWORD kTimeoutMs = 20000;
// No window has this handle: a page that ended without clearing its word.
constexpr DWORD kStaleWindow = 0x7FFF0010;

std::string Text(const WString& path) {
  test_support::Bytes bytes;
  test_support::ReadFileBytes(path, &bytes);
  return std::string(bytes.begin(), bytes.end());
}

// Waits until `path` holds `text`; false after kTimeoutMs.
bool WaitFor(const WString& path, const std::string& text) {
  const ULONGLONG deadline = GetTickCount64() + kTimeoutMs;
  while (Text(path).find(text) == std::string::npos) {
    if (GetTickCount64() >= deadline) return false;
    Sleep(20);
  }
  return true;
}

std::vector<std::string> Notifications(const std::string& text) {
  std::vector<std::string> lines;
  for (size_t at = text.find("notify "); at != std::string::npos;
       at = text.find("notify ", at + 1)) {
    lines.push_back(text.substr(at, text.find('\n', at) - at));
  }
  return lines;
}

void SetWord(LPCWSTR section, size_t offset, DWORD value) {
  HANDLE handle = OpenFileMappingW(FILE_MAP_WRITE, FALSE, section);
  ASSERT_NE(nullptr, handle);
  auto* view = static_cast<BYTE*>(MapViewOfFile(handle, FILE_MAP_WRITE, 0, 0, 0));
  ASSERT_NE(nullptr, view);
  std::memcpy(view + offset, &value, sizeof(value));
  UnmapViewOfFile(view);
  CloseHandle(handle);
}

TEST(RecoctlLive, HeldSectionOutlivesThePageAndTakesALiveSet) {
  if (!CanMakeWindows()) GTEST_SKIP() << "no display: the program's windows cannot be made";
  test_support::TempDir temp;
  test_env::TestRegistry registry{temp};
  ASSERT_FALSE(SectionExists(kPreferenceSectionName));
  EXPECT_EQ(1u, Recoctl("settings set --live LatinRange.FontSize=12").exit_code)
      << "no process holds the section";
  WriteSettings([](PreferenceBlock* block) { block->Header.RecoLangId = kLangEnglish; });

  const WString served = temp / L"serve.txt";
  Process server;
  ASSERT_TRUE(server.Start(RecoctlPath(), "serve --hold", served));
  ASSERT_TRUE(WaitFor(served, "serving window=")) << Text(served);
  const std::string text = Text(served);
  HWND window = WordToWindow(
      static_cast<DWORD>(std::stoul(text.substr(text.find("serving window=") + 15), nullptr, 16)));

  // A page confirmed and closed: the server still holds what it stored.
  Process page;
  ASSERT_TRUE(page.Start(RecorangePath(), ""));
  ASSERT_EQ(0u, Recoctl("page wait --timeout 30").exit_code);
  EXPECT_TRUE(WaitFor(served, "holding the preference section")) << Text(served);
  ASSERT_EQ(0u, Recoctl("page check " + std::to_string(IDC_LATIN_SHORT_PHRASE) + " on").exit_code);
  ASSERT_EQ(0u, Recoctl("page ok").exit_code);
  DWORD code = 0xFFFFFFFF;
  ASSERT_TRUE(page.Wait(kTimeoutMs, &code));
  ASSERT_TRUE(SectionExists(kPreferenceSectionName)) << "the section went with the page";
  // A rebuild would start from the settings load, which zeroes this word.
  SetWord(kPreferenceSectionName, offsetof(PreferenceBlock, Word1988), 0xE2E2E2E2);

  const Output set = Recoctl("settings set --live LatinRange.FontSize=12");
  EXPECT_EQ(0u, set.exit_code) << set.text;
  ASSERT_TRUE(WaitFor(served, "FontSize=12")) << Text(served);
  const std::vector<std::string> notes = Notifications(Text(served));
  ASSERT_EQ(2u, notes.size()) << Text(served);
  EXPECT_NE(std::string::npos, notes[0].find("PhraseMode=4")) << notes[0];
  EXPECT_EQ(std::string::npos, notes[0].find("FontSize=12")) << notes[0];
  EXPECT_NE(std::string::npos, notes[1].find(" wParam=29714 lParam=0 ")) << notes[1];
  EXPECT_NE(std::string::npos, notes[1].find("PhraseMode=4 FontName=")) << notes[1];
  EXPECT_NE(std::string::npos, notes[1].find("FontSize=12")) << notes[1];
  EXPECT_NE(std::string::npos,
            Recoctl("settings show --live").text.find("LatinRange.FontSize = 12\n"));

  // A page that ended without clearing its word is named by diagnose.
  SetWord(kServerSectionName, offsetof(ServerBlock, SettingsWindow), kStaleWindow);
  const Output report = Recoctl("diagnose");
  EXPECT_EQ(1u, report.exit_code) << report.text;
  EXPECT_NE(std::string::npos, report.text.find("SettingsWindow is stale 0x7FFF0010"))
      << report.text;

  // The next start finds the section as it was left.
  ASSERT_TRUE(page.Start(RecorangePath(), ""));
  ASSERT_EQ(0u, Recoctl("page wait --timeout 30").exit_code);
  const Json state = PageState();
  EXPECT_TRUE(ControlOf(state, IDC_LATIN_SHORT_PHRASE)["checked"]) << state.dump();
  const Json sizes = ControlOf(state, IDC_FONT_SIZE);
  EXPECT_EQ("12", sizes["items"][sizes["selected"].get<int>()]) << sizes.dump();
  const WString dump = temp / L"live.bin";
  ASSERT_EQ(0u, Recoctl("dump --live --out \"" + test_support::ToUtf8(dump) + "\"").exit_code);
  test_support::Bytes bytes;
  ASSERT_TRUE(test_support::ReadFileBytes(dump, &bytes));
  ASSERT_EQ(sizeof(PreferenceBlock), bytes.size());
  DWORD word1988 = 0;
  std::memcpy(&word1988, bytes.data() + offsetof(PreferenceBlock, Word1988), sizeof(DWORD));
  EXPECT_EQ(0xE2E2E2E2u, word1988) << "the second start rebuilt the block";
  ASSERT_EQ(0u, Recoctl("page close").exit_code);
  ASSERT_TRUE(page.Wait(kTimeoutMs, &code));

  PostMessageW(window, WM_CLOSE, 0, 0);
  ASSERT_TRUE(server.Wait(kTimeoutMs, &code));
  EXPECT_EQ(0u, code) << Text(served);
  EXPECT_EQ(2u, Notifications(Text(served)).size()) << Text(served);
  EXPECT_EQ(1u, Recoctl("settings show --live").exit_code);
  DeleteFileW(SettingsPath().c_str());
}

}  // namespace
}  // namespace e2e
