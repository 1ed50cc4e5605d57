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
  CLI::App app{
      "recoctl: inspect and maintain the recognition-range settings tool's files and shared "
      "records"};
  app.require_subcommand(1);
  // Host paths under Wine start with "/": they are arguments, never the
  // Windows-style options CLI11 would otherwise take them for.
  app.allow_windows_style_options(false);
  app.footer(
      "Commands: ini, build, show, settings, diagnose; on Windows also serve, dump --live,\n"
      "show --live and settings show|set --live.\n"
      "Examples:\n"
      "  recoctl ini get Lang.ini \"RECO LANG\" ID_LANG_EN --result\n"
      "  recoctl build --out block.bin && recoctl show block.bin --json\n"
      "  recoctl settings show                  (the data directory's Config\\Settings.ini)\n"
      "  recoctl settings set SCRange.Charset=4098 LatinRange.FontName=Tahoma\n"
      "  recoctl settings reset SCRange\n"
      "  recoctl settings export > settings.json && recoctl settings import settings.json\n"
      "  recoctl diagnose > report.txt\n"
      "Windows only:\n"
      "  recoctl serve --hold                   (stand-in server that keeps the section)\n"
      "  recoctl settings set --live LatinRange.PhraseMode=4\n"
      "  recoctl show --live --json; recoctl dump --live --out block.bin\n"
      "Each command's --help shows its options; \"settings --help\" lists every field.");
  app.set_version_flag("--version", RECO_VERSION, "Print the version and exit");
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
  } catch (const CLI::CallForVersion& e) {
    PrintOut(std::string(e.what()) + "\n");
    return 0;
  } catch (const CLI::ParseError& e) {
    PrintErr("recoctl: " + std::string(e.what()) + "\n");
    return kExitBadArguments;
  }
  return exit_code;
}
