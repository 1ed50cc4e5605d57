// The preference build against its floor, measured where the product runs:
// the same source builds natively and for Windows (run under Wine), with a
// plain timing loop, since Google Benchmark is not there for the cross
// build.
//
// One pair is one build (BuildPreferences on the sample installation tree
// placed beside this program; block zeroed, settings file missing) and one
// pass of the floor (open, read to the end and close the same files, in the
// order and as often as the build opens them: CreateFileW, ReadFile,
// CloseHandle on Windows; open, read, close natively). The two are measured
// back to back and take turns at going first. On a shared virtual machine a
// single time swings several-fold with scheduling, so what is reported is
// the median of the per-pair ratios, with the medians of each side.
//
//   bench_pairs [PAIRS]               one line: build-to-floor
//   bench_pairs --breakdown [PASSES]  the cost of one build's opens, step by step
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "builder/preference_builder.h"
#include "paths/path_utils.h"
#include "platform/platform.h"
#include "shared/sections.h"

#ifndef _WIN32
#include <fcntl.h>
#include <unistd.h>

#include "platform/text_convert.h"
#endif

namespace {

using WString = std::basic_string<WCHAR>;
using Clock = std::chrono::steady_clock;

double Micros(Clock::duration d) { return std::chrono::duration<double, std::micro>(d).count(); }

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  const size_t n = values.size();
  return n == 0 ? 0 : n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

WString InstallDirectory() {
  WCHAR path[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, path, MAX_PATH);
  DirectoryOfPath(path, path);
  return path;
}

// The files one build opens, in order (English interface and recognition
// language: the sample tree's default for a user of language 1033).
std::vector<WString> FilesOfOneBuild(const WString& install) {
  const WString menu = TEXT("Menu Lang\\English\\");
  const WString names[] = {TEXT("Reco Lang\\Simplified Chinese\\Config.ini"),
                           TEXT("Reco Lang\\English\\Config.ini"),
                           TEXT("Search\\Search.ini"),
                           TEXT("Skin\\Skin.ini"),
                           TEXT("Skin\\Config.ini"),
                           TEXT("Menu Lang\\Config.ini"),
                           TEXT("Reco Lang\\English\\Keyboard.ini"),
                           TEXT("Reco Lang\\English\\Keyboard.ini"),
                           menu + TEXT("Keyboard.ini"),
                           menu + TEXT("Lang.ini"),
                           menu + TEXT("Search.ini"),
                           menu + TEXT("Common.ini"),
                           menu + TEXT("Common.ini"),
                           menu + TEXT("Common.ini"),
                           menu + TEXT("RecoOption.ini"),
                           menu + TEXT("Common.ini"),
                           menu + TEXT("Common.ini"),
                           menu + TEXT("Common.ini"),
                           menu + TEXT("Wizard.ini")};
  std::vector<WString> paths;
  for (const WString& name : names) paths.push_back(install + name);
  return paths;
}

class Floor {
 public:
  explicit Floor(const std::vector<WString>& paths) : buffer_(1 << 16) {
#ifdef _WIN32
    paths_ = paths;
#else
    for (const WString& path : paths) {
      std::string host = Utf16ToUtf8(path.c_str());
      std::replace(host.begin(), host.end(), '\\', '/');
      paths_.push_back(host);
    }
#endif
  }

  // Bytes read by one pass; 0 when a file could not be read.
  size_t Pass() {
    size_t total = 0;
    for (const auto& path : paths_) {
#ifdef _WIN32
      HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
      if (file == INVALID_HANDLE_VALUE) return 0;
      DWORD got = 0;
      while (ReadFile(file, buffer_.data(), static_cast<DWORD>(buffer_.size()), &got, nullptr) &&
             got > 0) {
        total += got;
      }
      CloseHandle(file);
#else
      const int fd = open(path.c_str(), O_RDONLY);
      if (fd < 0) return 0;
      ssize_t got;
      while ((got = read(fd, buffer_.data(), buffer_.size())) > 0) total += got;
      close(fd);
#endif
    }
    return total;
  }

 private:
#ifdef _WIN32
  std::vector<WString> paths_;
#else
  std::vector<std::string> paths_;
#endif
  std::vector<char> buffer_;
};

int BuildToFloor(int pairs) {
  const WString install = InstallDirectory();
  // A data folder without "Config\Settings.ini": the settings take their defaults.
  const WString data = install + TEXT("no-data\\");
  PreferenceSection section;
  if (!section.Open(TEXT("bench-pairs-section"))) {
    std::fprintf(stderr, "no section\n");
    return 1;
  }
  Floor floor(FilesOfOneBuild(install));
  auto build = [&] {
    std::memset(section.Block(), 0, sizeof(PreferenceBlock));
    const Clock::time_point start = Clock::now();
    BuildPreferences(&section, install.c_str(), data.c_str());
    return Micros(Clock::now() - start);
  };
  auto read = [&] {
    const Clock::time_point start = Clock::now();
    const size_t bytes = floor.Pass();
    const double us = Micros(Clock::now() - start);
    return bytes == 0 ? -1.0 : us;
  };
  for (int i = 0; i < 10; ++i) {
    build();
    read();
  }
  if (section.Block()->SearchTable.Count != 4 || read() < 0) {
    std::fprintf(stderr, "the sample tree is not beside the program\n");
    return 1;
  }
  std::vector<double> ratios, builds, floors;
  for (int i = 0; i < pairs; ++i) {
    double b, f;
    if (i % 2 == 0) {
      b = build();
      f = read();
    } else {
      f = read();
      b = build();
    }
    ratios.push_back(b / f);
    builds.push_back(b);
    floors.push_back(f);
  }
  section.Release();
  std::printf("build-to-floor  ratio %.2f  build %.0f us  floor %.0f us  (median of %d pairs)\n",
              Median(ratios), Median(builds), Median(floors), pairs);
  return 0;
}

// One build's opens by hand, step by step as IniOpen and IniClose take them
// for a file opened for reading, each step timed and summed over the 19
// opens of a pass; medians over the passes.
int Breakdown(int passes) {
  const std::vector<WString> paths = FilesOfOneBuild(InstallDirectory());
  const char* const kSteps[] = {
      "open and share lock",   "file size", "mapping",       "view",
      "scan for the text end", "unmap",     "close mapping", "close file"};
  constexpr int kStepCount = sizeof kSteps / sizeof kSteps[0];
  std::vector<std::vector<double>> times(kStepCount);
  // Every other pass maps without a name, to show what the name costs
  // (its own line; the table is of the named passes, as the engine maps).
  std::vector<double> unnamed;
  unsigned sink = 0;
  for (int pass = 0; pass < 2 * passes + 10; ++pass) {
    const bool named = pass % 2 == 0;
    double sums[kStepCount] = {};
    for (const WString& path : paths) {
      WCHAR name[MAX_PATH];
      StringCchCopyW(name, MAX_PATH, path.c_str());
      for (WCHAR* p = name; *p != 0; ++p) {
        if (*p == TEXT('\\')) *p = TEXT('@');
      }
      Clock::time_point t[kStepCount + 1];
      t[0] = Clock::now();
      HANDLE file = CreateFileForMappingW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                          OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
      t[1] = Clock::now();
      const DWORD size = GetFileSize(file, nullptr);
      t[2] = Clock::now();
      HANDLE mapping =
          CreateFileMappingW(file, nullptr, PAGE_READONLY, 0, 0, named ? name : nullptr);
      t[3] = Clock::now();
      const auto* units = static_cast<const WCHAR*>(MapViewOfFile(mapping, FILE_MAP_READ, 0, 0, 0));
      t[4] = Clock::now();
      if (file == INVALID_HANDLE_VALUE || mapping == nullptr || units == nullptr) {
        std::fprintf(stderr, "cannot map a file of the sample tree\n");
        return 1;
      }
      DWORD i = 0;
      while (i < size / 2 && units[i] != 0) ++i;
      sink += i;
      t[5] = Clock::now();
      UnmapViewOfFile(units);
      t[6] = Clock::now();
      CloseHandle(mapping);
      t[7] = Clock::now();
      CloseHandle(file);
      t[8] = Clock::now();
      for (int s = 0; s < kStepCount; ++s) sums[s] += Micros(t[s + 1] - t[s]);
    }
    if (pass >= 10 && named) {
      for (int s = 0; s < kStepCount; ++s) times[s].push_back(sums[s]);
    } else if (pass >= 10) {
      unnamed.push_back(sums[2]);
    }
  }
  double total = 0;
  for (int s = 0; s < kStepCount; ++s) total += Median(times[s]);
  std::printf("one build's %zu opens, step by step (median of %d passes, us per build):\n",
              paths.size(), passes);
  for (int s = 0; s < kStepCount; ++s) {
    const double m = Median(times[s]);
    std::printf("  %-22s %8.1f us  %4.0f %%\n", kSteps[s], m, 100 * m / total);
  }
  std::printf("  %-22s %8.1f us  (%u units scanned)\n", "all", total, sink / (2 * passes + 10));
  std::printf("  %-22s %8.1f us  (the same mapping without a name)\n", "mapping, no name",
              Median(unnamed));
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc >= 2 && std::strcmp(argv[1], "--breakdown") == 0) {
    return Breakdown(argc >= 3 ? std::atoi(argv[2]) : 200);
  }
  return BuildToFloor(argc >= 2 ? std::atoi(argv[1]) : 200);
}
