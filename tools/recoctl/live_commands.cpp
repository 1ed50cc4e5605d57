#include "tools/recoctl/live_commands.h"

#include <memory>
#include <string>

#include "tools/recoctl/diagnose_windows.h"
#include "tools/recoctl/host.h"
#include "tools/recoctl/live_block.h"
#include "tools/recoctl/live_sections.h"
#include "tools/recoctl/stand_in_server.h"

namespace {

struct LiveArgs {
  int count = 0;
  double timeout = 0;
  bool live = false;
  bool json = false;
  bool hold = false;
  std::string out;
};

#if !defined(_WIN32)
int OnlyOnWindows() {
  PrintErr("recoctl: the live commands work only on Windows\n");
  return kLiveUnsupported;
}
#endif

// Runs `action` on Windows; elsewhere says that it cannot (the actions are
// never called there, so the Windows-only files are not linked).
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
  return OnWindows([&] { return live_block::Show(json); });
}

int RunLiveSettings(const std::function<bool(PreferenceBlock*)>& use, bool change) {
  return OnWindows([&] { return live_block::Use(use, change); });
}

nlohmann::ordered_json DiagnoseLive(bool preferences_held, const std::string& font_name,
                                    std::vector<Problem>* problems) {
  nlohmann::ordered_json json;
  json["preference section"] = preferences_held ? "present" : "absent (the next start builds it)";
  const std::unique_ptr<ServerBlock> server = CopyLiveServer();
  json["server section"] = server != nullptr ? "present" : "absent (no server runs)";
#if defined(_WIN32)
  json.update(diagnose_windows::Check(server.get(), font_name, problems));
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
        OnWindows([&] { return stand_in_server::Serve(args->count, args->timeout, args->hold); });
  });

  CLI::App* dump = app.add_subcommand(
      "dump", "Copy the bytes of the preference section a running process holds");
  dump->add_flag("--live", args->live, "Read the live section (the only source)")->required();
  dump->add_option("--out", args->out, "File to write the block to")->required();
  dump->callback(
      [args, exit_code] { *exit_code = OnWindows([&] { return live_block::Dump(args->out); }); });
}
