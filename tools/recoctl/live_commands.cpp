#include "tools/recoctl/live_commands.h"

#include <memory>
#include <string>

#include "tools/recoctl/host.h"
#include "tools/recoctl/live_sections.h"
#include "tools/recoctl/live_windows.h"

namespace {

struct LiveArgs {
  int count = 0;
  double timeout = 0;
  bool live = false;
  bool json = false;
  bool hold = false;
  std::string out;
  int id = 0;
  std::string state;
  int index = 0;
};

#if !defined(_WIN32)
int OnlyOnWindows() {
  PrintErr("recoctl: the live commands work only on Windows\n");
  return kLiveUnsupported;
}
#endif

// Runs `action` on Windows; elsewhere says that it cannot (the actions are
// never called there, so live_windows.cpp is not linked).
template <typename Action>
int OnWindows(Action action) {
#if defined(_WIN32)
  return action();
#else
  (void)action;
  return OnlyOnWindows();
#endif
}

}  // namespace

int RunShowLive(bool json) {
  return OnWindows([&] { return live_windows::ShowLive(json); });
}

int RunLiveSettings(const std::function<bool(PreferenceBlock*)>& use, bool change) {
  return OnWindows([&] { return live_windows::UseLive(use, change); });
}

nlohmann::ordered_json DiagnoseLive(bool preferences_held, const std::string& font_name,
                                    std::vector<Problem>* problems) {
  nlohmann::ordered_json json;
  json["preference section"] = preferences_held ? "present" : "absent (the next start builds it)";
  const std::unique_ptr<ServerBlock> server = CopyLiveServer();
  json["server section"] = server != nullptr ? "present" : "absent (no server runs)";
#if defined(_WIN32)
  json.update(live_windows::DiagnoseWindows(server.get(), font_name, problems));
#else
  (void)font_name;
  if (server != nullptr) {
    json["ServerWindow"] = Hex(server->ServerWindow);
    json["SettingsWindow"] = Hex(server->SettingsWindow);
    if (server->ServerWindow == 0) {
      problems->push_back({"ServerWindow is 0: a confirmed change reaches no server",
                           "start the input-method server again (or restart the device)"});
    }
  }
  json["note"] = "not checked here: whether those windows are live, and the fonts (Windows only)";
#endif
  return json;
}

void AddLiveCommands(CLI::App& app, int* exit_code) {
  auto args = std::make_shared<LiveArgs>();

  CLI::App* serve = app.add_subcommand(
      "serve",
      "Stand in for the input-method server: publish a hidden window in ServerWindow and print "
      "one line per reload notification it receives");
  serve->add_option("--count", args->count, "Exit after this many notifications")
      ->check(CLI::PositiveNumber);
  serve->add_option("--timeout", args->timeout, "Exit after this many seconds")
      ->check(CLI::PositiveNumber);
  serve->add_flag("--hold", args->hold,
                  "Keep the preference section mapped once a process has created it, so that "
                  "it outlives the page (it is never created here)");
  serve->callback([args, exit_code] {
    *exit_code =
        OnWindows([&] { return live_windows::Serve(args->count, args->timeout, args->hold); });
  });

  CLI::App* dump = app.add_subcommand(
      "dump", "Copy the bytes of the preference section a running process holds");
  dump->add_flag("--live", args->live, "Read the live section (the only source)")->required();
  dump->add_option("--out", args->out, "File to write the block to")->required();
  dump->callback([args, exit_code] {
    *exit_code = OnWindows([&] { return live_windows::DumpLive(args->out); });
  });

  CLI::App* page = app.add_subcommand(
      "page", "Act on the open settings page (the window named by SettingsWindow) as a user would");
  page->require_subcommand(1);

  CLI::App* wait = page->add_subcommand(
      "wait", "Wait until a page is open with its texts set and its values loaded");
  wait->add_option("--timeout", args->timeout, "Seconds to wait (default 10)")
      ->check(CLI::PositiveNumber);
  wait->callback([args, exit_code] {
    const double seconds = args->timeout > 0 ? args->timeout : 10;
    *exit_code = OnWindows([&] { return live_windows::PageWait(seconds); });
  });

  CLI::App* state =
      page->add_subcommand("state", "Print the page's title, template and every control's state");
  state->add_flag("--json", args->json, "Print JSON");
  state->callback([args, exit_code] {
    *exit_code = OnWindows([&] { return live_windows::PageState(args->json); });
  });

  CLI::App* check = page->add_subcommand("check", "Set a check box as a click would");
  check->add_option("ID", args->id, "Control id")->required();
  check->add_option("STATE", args->state, "on or off")
      ->required()
      ->check(CLI::IsMember({"on", "off"}));
  check->callback([args, exit_code] {
    *exit_code = OnWindows([&] { return live_windows::PageCheck(args->id, args->state == "on"); });
  });

  CLI::App* select = page->add_subcommand("select", "Select a combo box item as a user would");
  select->add_option("ID", args->id, "Control id")->required();
  select->add_option("INDEX", args->index, "Item index from 0")->required();
  select->callback([args, exit_code] {
    *exit_code = OnWindows([&] { return live_windows::PageSelect(args->id, args->index); });
  });

  page->add_subcommand("ok", "Confirm the page (its OK command) and wait for it to close")
      ->callback([exit_code] { *exit_code = OnWindows([] { return live_windows::PageOk(); }); });
  page->add_subcommand("close", "Close the page without confirming and wait for it to close")
      ->callback([exit_code] { *exit_code = OnWindows([] { return live_windows::PageClose(); }); });
  page->add_subcommand("apply", "Send the page its apply message (save and notify, stay open)")
      ->callback([exit_code] { *exit_code = OnWindows([] { return live_windows::PageApply(); }); });
  page->add_subcommand("fit", "Measure every label, check box and group box text against its room")
      ->callback([exit_code] { *exit_code = OnWindows([] { return live_windows::PageFit(); }); });
}
