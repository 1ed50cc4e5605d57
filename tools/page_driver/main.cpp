// recopage: acts on the open settings page as a user would, for the
// end-to-end tests, the package test, the reliability runs and the demo.
// A test companion: built with the tests, never installed, not in the
// release (the page it drives is the one SettingsWindow names).
#include <memory>
#include <string>
#include <vector>

#include <CLI/CLI.hpp>

#include "tools/page_driver/page_actions.h"
#include "tools/recoctl/host.h"

namespace {

constexpr int kExitBadArguments = 2;

struct PageArgs {
  double timeout = 0;
  bool json = false;
  int id = 0;
  std::string state;
  int index = 0;
};

void AddPageCommands(CLI::App& app, int* exit_code) {
  auto args = std::make_shared<PageArgs>();

  CLI::App* wait = app.add_subcommand(
      "wait", "Wait until a page is open with its texts set and its values loaded");
  wait->add_option("--timeout", args->timeout, "Seconds to wait (default 10)")
      ->check(CLI::PositiveNumber);
  wait->callback([args, exit_code] {
    *exit_code = page_actions::Wait(args->timeout > 0 ? args->timeout : 10);
  });

  CLI::App* state =
      app.add_subcommand("state", "Print the page's title, template and every control's state");
  state->add_flag("--json", args->json, "Print JSON");
  state->callback([args, exit_code] { *exit_code = page_actions::State(args->json); });

  CLI::App* check = app.add_subcommand("check", "Set a check box as a click would");
  check->add_option("ID", args->id, "Control id")->required();
  check->add_option("STATE", args->state, "on or off")
      ->required()
      ->check(CLI::IsMember({"on", "off"}));
  check->callback(
      [args, exit_code] { *exit_code = page_actions::Check(args->id, args->state == "on"); });

  CLI::App* select = app.add_subcommand("select", "Select a combo box item as a user would");
  select->add_option("ID", args->id, "Control id")->required();
  select->add_option("INDEX", args->index, "Item index from 0")->required();
  select->callback([args, exit_code] { *exit_code = page_actions::Select(args->id, args->index); });

  app.add_subcommand("ok", "Confirm the page (its OK command) and wait for it to close")
      ->callback([exit_code] { *exit_code = page_actions::Ok(); });
  app.add_subcommand("close", "Close the page without confirming and wait for it to close")
      ->callback([exit_code] { *exit_code = page_actions::Close(); });
  app.add_subcommand("apply", "Send the page its apply message (save and notify, stay open)")
      ->callback([exit_code] { *exit_code = page_actions::Apply(); });
  app.add_subcommand("fit", "Measure every label, check box and group box text against its room")
      ->callback([exit_code] { *exit_code = page_actions::Fit(); });
}

int RunRecopage(const std::vector<std::string>& args) {
  CLI::App app{
      "recopage: act on the open settings page (the window named by SettingsWindow) as a user "
      "would"};
  app.require_subcommand(1);
  app.allow_windows_style_options(false);
  app.footer(
      "A test companion of the end-to-end tests: built with the tests, never shipped.\n"
      "Examples:\n"
      "  recopage wait --timeout 30 && recopage check 304 on && recopage ok\n"
      "  recopage state --json\n"
      "  recopage fit                           (exit 1 when a text is clipped)");
  int exit_code = 0;
  AddPageCommands(app, &exit_code);
  std::vector<const char*> argv;
  for (const std::string& a : args) argv.push_back(a.c_str());
  try {
    app.parse(static_cast<int>(argv.size()), argv.data());
  } catch (const CLI::CallForHelp&) {
    PrintOut(app.help());
    return 0;
  } catch (const CLI::ParseError& e) {
    PrintErr("recopage: " + std::string(e.what()) + "\n");
    return kExitBadArguments;
  }
  return exit_code;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  std::vector<std::string> args;
  for (int i = 0; i < argc; ++i) args.push_back(Narrow(argv[i]));
  return RunRecopage(args);
}
