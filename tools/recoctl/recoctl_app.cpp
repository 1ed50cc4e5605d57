#include "tools/recoctl/recoctl_app.h"

#include <CLI/CLI.hpp>

#include "tools/recoctl/build_commands.h"
#include "tools/recoctl/diagnose_command.h"
#include "tools/recoctl/host.h"
#include "tools/recoctl/ini_commands.h"
#include "tools/recoctl/live_commands.h"
#include "tools/recoctl/settings_commands.h"

namespace {

constexpr int kExitBadArguments = 2;

}  // namespace

int RunRecoctl(const std::vector<std::string>& args) {
  CLI::App app{"recoctl: inspect and drive the recognition-range settings tool"};
  app.require_subcommand(1);
  // Host paths under Wine start with "/": they are arguments, never the
  // Windows-style options CLI11 would otherwise take them for.
  app.allow_windows_style_options(false);
  int exit_code = 0;
  AddIniCommands(app, &exit_code);
  AddBuildCommands(app, &exit_code);
  AddLiveCommands(app, &exit_code);
  AddSettingsCommands(app, &exit_code);
  AddDiagnoseCommand(app, &exit_code);
  std::vector<const char*> argv;
  for (const std::string& a : args) argv.push_back(a.c_str());
  try {
    app.parse(static_cast<int>(argv.size()), argv.data());
  } catch (const CLI::CallForHelp& e) {
    PrintOut(app.help());
    return 0;
  } catch (const CLI::CallForAllHelp& e) {
    PrintOut(app.help("", CLI::AppFormatMode::All));
    return 0;
  } catch (const CLI::ParseError& e) {
    PrintErr("recoctl: " + std::string(e.what()) + "\n");
    return kExitBadArguments;
  }
  return exit_code;
}
