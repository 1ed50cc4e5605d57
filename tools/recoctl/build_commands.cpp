#include "tools/recoctl/build_commands.h"

#include <chrono>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "builder/preference_builder.h"
#include "paths/directories.h"
#include "shared/preference_block.h"
#include "shared/sections.h"
#include "tools/recoctl/block_decoder.h"
#include "tools/recoctl/host.h"
#include "tools/recoctl/live_commands.h"

namespace {

struct BuildArgs {
  std::string install_dir;
  std::string data_dir;
  std::string out;
  std::string file;
  bool json = false;
  bool live = false;
};

// ---- build ----

// A section name no other process uses, so that a running tool's section is
// never touched and the builder always starts from a new, all-zero block.
WString PrivateSectionName() {
  std::random_device device;
  const auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
  const std::string name = "RECOCTL_BUILD_" + std::to_string(device()) + "_" +
                           std::to_string(static_cast<unsigned long long>(stamp));
  return Wide(name);
}

bool WriteHostFile(const std::string& host_path, const void* data, size_t size) {
  std::ofstream out(std::filesystem::u8path(host_path), std::ios::binary | std::ios::trunc);
  out.write(static_cast<const char*>(data), static_cast<std::streamsize>(size));
  return static_cast<bool>(out);
}

int RunBuild(const BuildArgs& args) {
  WCHAR install_dir[MAX_PATH] = {};
  if (args.install_dir.empty()) {
    ResolveInstallDir(install_dir, TRUE);
  } else {
    StringCchCopyW(install_dir, MAX_PATH, SystemPathFromHost(args.install_dir).c_str());
  }
  WCHAR data_dir[MAX_PATH] = {};
  if (args.data_dir.empty()) {
    ResolveDataDir();
    StringCchCopyW(data_dir, MAX_PATH, DataDir);
  } else {
    StringCchCopyW(data_dir, MAX_PATH, SystemPathFromHost(args.data_dir).c_str());
  }

  PreferenceSection section;
  const WString name = PrivateSectionName();
  if (!section.Open(name.c_str()) || section.Existed()) {
    PrintErr("recoctl: could not create a preference section\n");
    section.Release();
    return 1;
  }
  BuildPreferences(&section, install_dir, data_dir);
  const bool written = WriteHostFile(args.out, section.Block(), sizeof(PreferenceBlock));
  section.Release();
  if (!written) {
    PrintErr("recoctl: could not write " + args.out + "\n");
    return 1;
  }
  PrintOut("built from " + Narrow(install_dir) + " with settings under " + Narrow(data_dir) + "\n");
  return 0;
}

int RunShow(const BuildArgs& args) {
  std::ifstream in(std::filesystem::u8path(args.file), std::ios::binary);
  if (!in) {
    PrintErr("recoctl: cannot read " + args.file + "\n");
    return 1;
  }
  std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (bytes.size() != sizeof(PreferenceBlock)) {
    PrintErr("recoctl: " + args.file + " has " + std::to_string(bytes.size()) +
             " bytes; a preference block has " + std::to_string(sizeof(PreferenceBlock)) + "\n");
    return 1;
  }
  auto block = std::make_unique<PreferenceBlock>();
  std::memcpy(block.get(), bytes.data(), sizeof(PreferenceBlock));
  PrintOut(DescribePreferenceBlock(*block, args.json));
  return 0;
}

}  // namespace

void AddBuildCommands(CLI::App& app, int* exit_code) {
  auto args = std::make_shared<BuildArgs>();
  CLI::App* build = app.add_subcommand("build",
                                       "Build a preference block from an installation tree, as the "
                                       "tool does for a new section, and save its bytes");
  build->add_option("--install", args->install_dir,
                    "Installation directory (default: the one the tool resolves)");
  build->add_option(
      "--data", args->data_dir,
      "Data directory with Config\\Settings.ini (default: the one the tool resolves)");
  build->add_option("--out", args->out, "File to write the block to")->required();
  build->callback([args, exit_code] { *exit_code = RunBuild(*args); });

  CLI::App* show = app.add_subcommand("show", "Decode a saved preference block");
  CLI::Option* file = show->add_option("FILE", args->file, "Block file");
  CLI::Option* live =
      show->add_flag("--live", args->live, "Decode the preference section a running process holds");
  file->excludes(live);
  show->add_flag("--json", args->json, "Print JSON instead of indented text");
  show->callback([show, args, exit_code] {
    if (args->live) {
      *exit_code = RunShowLive(args->json);
    } else if (args->file.empty()) {
      PrintErr("recoctl: show needs FILE or --live\n" + show->help());
      *exit_code = 2;
    } else {
      *exit_code = RunShow(*args);
    }
  });
}
