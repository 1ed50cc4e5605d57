// Benchmark of the preference builder on the sample installation tree that
// the build places beside this program:
//
// - BM_BuildPreferences: a whole build, as start-up runs it for a new
//   section (the block is zeroed before each build; the settings file is
//   missing, so the settings take their defaults), with the interface
//   language of a Chinese (2052) or an English (1033) user;
// - BM_ReadFloor: the floor, reading the bytes of the same files in the same
//   order, as often as the builder opens them (open, read, close), with
//   plain POSIX calls.
//
// `bench_builder --one_build` runs one build and exits, for instruction
// counts under callgrind (see docs/performance.md).
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "builder/preference_builder.h"
#include "paths/path_utils.h"
#include "platform/platform.h"
#include "platform/text_convert.h"
#include "shared/sections.h"

namespace {

using WString = std::basic_string<WCHAR>;

// The directory of this program, where the sample tree lies, as the system
// names it (with its final backslash) and as the host does.
WString InstallDirectory() {
  WCHAR path[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, path, MAX_PATH);
  DirectoryOfPath(path, path);
  return path;
}

std::string HostPath(const WString& system_path) {
  std::string host = Utf16ToUtf8(system_path.c_str());
  for (char& c : host) {
    if (c == '\\') c = '/';
  }
  return host;
}

// The files a build opens, in order, relative to the installation
// directory; `ui` is the interface-language folder, `reco` the recognition
// language's.
std::vector<std::string> FilesOfOneBuild(const std::string& ui, const std::string& reco) {
  const std::string menu = "Menu Lang/" + ui + "/";
  return {"Reco Lang/Simplified Chinese/Config.ini",
          "Reco Lang/English/Config.ini",
          "Search/Search.ini",
          "Skin/Skin.ini",
          "Skin/Config.ini",
          "Menu Lang/Config.ini",
          "Reco Lang/" + reco + "/Keyboard.ini",
          "Reco Lang/" + reco + "/Keyboard.ini",
          menu + "Keyboard.ini",
          menu + "Lang.ini",
          menu + "Search.ini",
          menu + "Common.ini",
          menu + "Common.ini",
          menu + "Common.ini",
          menu + "RecoOption.ini",
          menu + "Common.ini",
          menu + "Common.ini",
          menu + "Common.ini",
          menu + "Wizard.ini"};
}

// The user's language, as GetUserDefaultLangID reads it.
void SetUserLanguage(int lang_id) {
  setenv("LC_ALL", lang_id == 2052 ? "zh_CN.UTF-8" : "en_US.UTF-8", 1);
}

void BM_BuildPreferences(benchmark::State& state) {
  SetUserLanguage(static_cast<int>(state.range(0)));
  const WString install = InstallDirectory();
  const std::filesystem::path data =
      std::filesystem::temp_directory_path() / ("bench-builder-" + std::to_string(getpid()));
  std::filesystem::create_directories(data);
  WString data_dir = Utf8ToUtf16(data.string() + "/");
  for (WCHAR& c : data_dir) {
    if (c == TEXT('/')) c = TEXT('\\');
  }
  PreferenceSection section;
  const WString name = Utf8ToUtf16("bench-builder-" + std::to_string(getpid()));
  if (!section.Open(name.c_str())) {
    state.SkipWithError("no section");
    return;
  }
  for (auto _ : state) {
    std::memset(section.Block(), 0, sizeof(PreferenceBlock));
    benchmark::DoNotOptimize(BuildPreferences(&section, install.c_str(), data_dir.c_str()));
    benchmark::ClobberMemory();
  }
  if (section.Block()->SearchTable.Count != 4) state.SkipWithError("sample tree not found");
  section.Release();
  std::filesystem::remove_all(data);
}
BENCHMARK(BM_BuildPreferences)->Arg(2052)->Arg(1033)->Unit(benchmark::kMicrosecond);

void BM_ReadFloor(benchmark::State& state) {
  const bool chinese = state.range(0) == 2052;
  const std::string install = HostPath(InstallDirectory());
  std::vector<std::string> paths;
  for (const std::string& file : FilesOfOneBuild(chinese ? "Simplified Chinese" : "English",
                                                 chinese ? "Simplified Chinese" : "English")) {
    paths.push_back(install + file);
  }
  std::vector<char> buffer(1 << 16);
  int64_t bytes = 0;
  for (auto _ : state) {
    for (const std::string& path : paths) {
      const int fd = open(path.c_str(), O_RDONLY);
      if (fd < 0) {
        state.SkipWithError(("cannot open " + path).c_str());
        return;
      }
      ssize_t n;
      while ((n = read(fd, buffer.data(), buffer.size())) > 0) bytes += n;
      close(fd);
    }
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(bytes);
  state.counters["files"] = static_cast<double>(paths.size());
}
BENCHMARK(BM_ReadFloor)->Arg(2052)->Arg(1033)->Unit(benchmark::kMicrosecond);

// One build for callgrind; 0 when the sample tree was found.
int OneBuild() {
  const WString install = InstallDirectory();
  const WCHAR data_dir[] = TEXT("\\tmp\\bench-builder-one\\");
  PreferenceSection section;
  const WString name = Utf8ToUtf16("bench-builder-one-" + std::to_string(getpid()));
  if (!section.Open(name.c_str())) return 1;
  BuildPreferences(&section, install.c_str(), data_dir);
  const bool found = section.Block()->SearchTable.Count == 4;
  section.Release();
  std::filesystem::remove_all("/tmp/bench-builder-one");
  return found ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 2 && std::strcmp(argv[1], "--one_build") == 0) return OneBuild();
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
