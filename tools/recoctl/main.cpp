// recoctl: the maintainer's companion of the recognition-range tool.
#include <string>
#include <vector>

#include <CLI/CLI.hpp>

#include "tools/recoctl/build_commands.h"
#include "tools/recoctl/host.h"
#include "tools/recoctl/ini_commands.h"
#include "tools/recoctl/live_commands.h"

namespace {

constexpr int kExitBadArguments = 2;

int Run(const std::vector<std::string>& args) {
  CLI::App app{"recoctl: inspect and drive the recognition-range settings tool"};
  app.require_subcommand(1);
  // Host paths under Wine start with "/": they are arguments, never the
  // Windows-style options CLI11 would otherwise take them for.
  app.allow_windows_style_options(false);
  app.set_version_flag("--version", RECO_VERSION, "Print the version and exit");
  int exit_code = 0;
  AddIniCommands(app, &exit_code);
  AddBuildCommands(app, &exit_code);
  AddLiveCommands(app, &exit_code);
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

}  // namespace

#if defined(_WIN32)
int wmain(int argc, wchar_t** argv) {
  std::vector<std::string> args;
  for (int i = 0; i < argc; ++i) args.push_back(Narrow(argv[i]));
  return Run(args);
}
#else
int main(int argc, char** argv) { return Run(std::vector<std::string>(argv, argv + argc)); }
#endif
