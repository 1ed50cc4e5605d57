// The first start builds the block; a second start while its page is open
// brings that page forward and leaves everything as it is. "serve --hold"
// keeps the preference section as a real server does, so what a page
// confirmed outlives it and the next start uses it as found; "settings set
// --live" changes it and notifies the server once, as a confirmation does.
#include <memory>
#include <string>
#include <type_traits>
#include <vector>

#include "resources/app/resource.h"
#include "shared/sections.h"
#include "tests/e2e/e2e_driver.h"

namespace e2e {
namespace {

TEST_F(E2ETest, Recoctl_HeldSectionOutlivesThePageAndTakesALiveSet) {
  EXPECT_EQ(1u, Recoctl("settings set --live LatinRange.FontSize=12").exit_code)
      << "no process holds the section";
  StartServer("serve --hold");
  OpenPage("option.RecoLangId=1033");
  EXPECT_TRUE(ServerSaid("holding the preference section")) << ServerText();
  Json block = Json::parse(Recoctl("show --live --json").text, nullptr, false);
  ASSERT_TRUE(block.is_object());
  EXPECT_EQ(test_support::ToUtf8(SettingsPath()), block["SettingsPath"]);
  Json state = PageState();
  EXPECT_EQ(block["RecoOptionTexts"]["Common/RecoRange"], state["title"]);
  EXPECT_NE("", state["title"]) << "the block was not built";

  // A second copy, with the settings file gone: it must stay gone.
  ASSERT_TRUE(DeleteFileW(SettingsPath().c_str()));
  const std::unique_ptr<std::remove_pointer_t<HWND>, decltype(&DestroyWindow)> other(
      CreateWindowExW(0, L"Static", L"e2e", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 200, 100,
                      nullptr, nullptr, GetModuleHandleW(nullptr), nullptr),
      &DestroyWindow);
  SetForegroundWindow(other.get());
  ASSERT_EQ(other.get(), GetForegroundWindow());
  Process second;
  ASSERT_TRUE(second.Start(RecorangePath(), ""));
  DWORD code = 0xFFFFFFFF;
  ASSERT_TRUE(second.Wait(kEndTimeoutMs, &code));
  EXPECT_EQ(1u, code);
  // The page's own thread completes the activation, from its queue, after
  // the second copy has gone; until then there is no foreground window.
  const HWND page =
      WordToWindow(static_cast<DWORD>(std::stoul(state["window"].get<std::string>(), nullptr, 16)));
  for (int i = 0; i < 100 && GetForegroundWindow() != page; ++i) Sleep(20);
  EXPECT_EQ(page, GetForegroundWindow()) << "the open page was not brought forward";
  EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesW(SettingsPath().c_str()))
      << "the second copy wrote the settings file";
  EXPECT_EQ(state["window"], PageState()["window"]) << "the first page is no longer the open one";

  // Confirmed and ended: the file is written at exit, the server still
  // holds the section.
  Check(IDC_LATIN_SHORT_PHRASE, true);
  End("ok");
  EXPECT_EQ(4, SettingsFile()["LatinRange"]["PhraseMode"]) << "no write-back at exit";
  ASSERT_TRUE(SectionExists(kPreferenceSectionName)) << "the section went with the page";
  const Output set = Recoctl("settings set --live LatinRange.FontSize=12");
  EXPECT_EQ(0u, set.exit_code) << set.text;
  ASSERT_TRUE(ServerSaid("FontSize=12")) << ServerText();
  EXPECT_NE(std::string::npos,
            Recoctl("settings show --live").text.find("LatinRange.FontSize = 12\n"));

  // The next start finds the section as it was left: a rebuild would load
  // the file, which lacks the live change.
  OpenPage("");
  Json next = PageState();
  EXPECT_TRUE(ControlOf(next, IDC_LATIN_SHORT_PHRASE)["checked"]) << next.dump();
  Json sizes = ControlOf(next, IDC_FONT_SIZE);
  EXPECT_EQ("12", sizes["items"].at(sizes.value("selected", 0))) << sizes.dump();
  End("close");

  const std::vector<std::string> notes = StopServer();
  ASSERT_EQ(2u, notes.size()) << ServerText();
  for (const std::string& note : notes) {
    EXPECT_NE(std::string::npos, note.find(" wParam=29714 lParam=0 ")) << note;
    EXPECT_NE(std::string::npos, note.find("PhraseMode=4 FontName=")) << note;
  }
  EXPECT_EQ(std::string::npos, notes[0].find("FontSize=12")) << notes[0];
  EXPECT_NE(std::string::npos, notes[1].find("FontSize=12")) << notes[1];
}

}  // namespace
}  // namespace e2e
