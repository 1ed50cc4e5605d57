// Benchmarks of the INI engine on the work the system gives it:
//
// - a loader's lookups: many keys of one section, sections in file order, on
//   a file of 12 sections x 30 keys, once with the section hint as the
//   lookups leave it and once with every section searched from the text
//   start (the lookup steps over the whole range), to show what the hint buys;
// - a loader's whole visit: open, one pass of lookups, close;
// - the settings write-back: four records into a new file, then close;
// - the floor: reading the same file's bytes (open, read, close).
//
// `bench_ini --one_pass` runs one lookup pass of each kind and exits, for
// instruction counts under callgrind (see docs/performance.md).
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "ini/ini_file.h"
#include "platform/platform.h"

namespace {

using WString = std::basic_string<WCHAR>;

constexpr int kSections = 12;
constexpr int kKeysPerSection = 30;
constexpr int kValueSize = 260;  // the loaders' usual destination

// Names in the spirit of the input method's own files.
const char* const kSectionNames[kSections] = {"Option", "Window", "Font",    "Recognition",
                                              "Ranges", "Colors", "Dialog",  "Menu",
                                              "Latin",  "Kana",   "Symbols", "Messages"};
const char* const kKeyStems[] = {"FontSize", "Left",   "Top",     "Width",   "Height",
                                 "Caption",  "Range",  "Color",   "Timeout", "Mode",
                                 "Language", "Enable", "Pattern", "Weight",  "Style"};

WString Wide(const std::string& ascii) { return WString(ascii.begin(), ascii.end()); }

struct Lookup {
  WString section;
  std::vector<WString> keys;
};

// A realistic settings file: a comment header, then sections of integer,
// text, quoted and byte-record values, UTF-16LE with BOM and CR LF.
std::string MakeIniText(std::vector<Lookup>* plan) {
  std::string text = "; Recognition range settings\n; generated for the benchmarks\n\n";
  for (int s = 0; s < kSections; ++s) {
    Lookup lookup{Wide(kSectionNames[s]), {}};
    text += std::string("[") + kSectionNames[s] + "]\n";
    for (int k = 0; k < kKeysPerSection; ++k) {
      const std::string key = std::string(kKeyStems[k % 15]) + std::to_string(k / 15 + 1);
      lookup.keys.push_back(Wide(key));
      std::string value;
      switch (k % 5) {
        case 0:
          value = std::to_string(k * 37 + s);
          break;
        case 1:
          value = "Recognition range " + std::to_string(k);
          break;
        case 2:
          value = "\"  padded text  \"";
          break;
        case 3:
          for (int b = 0; b < 24; ++b) {
            char hex[3];
            std::snprintf(hex, sizeof hex, "%02X", (b * 13 + k) & 0xFF);
            value += hex;
          }
          break;
        default:
          value = "-" + std::to_string(k);
          break;
      }
      text += (k % 7 == 3 ? "  " : "") + key + (k % 4 == 1 ? " = " : "=") + value + "\n";
    }
    text += "\n";
    plan->push_back(lookup);
  }
  return text;
}

std::vector<uint8_t> Utf16FileBytes(const std::string& ascii) {
  std::vector<uint8_t> bytes = {0xFF, 0xFE};
  for (char c : ascii) {
    if (c == '\n') {
      bytes.insert(bytes.end(), {'\r', 0});
    }
    bytes.push_back(static_cast<uint8_t>(c));
    bytes.push_back(0);
  }
  return bytes;
}

// The files the benchmarks use, in a directory of their own.
struct Fixture {
  std::string dir;
  std::string host_path;
  WString system_path;
  WString write_path;
  std::string write_host_path;
  std::vector<Lookup> plan;
  size_t file_size = 0;
  int key_count = 0;

  Fixture() {
    char pattern[] = "/tmp/reco-bench-XXXXXX";
    if (mkdtemp(pattern) == nullptr) std::abort();
    dir = pattern;
    host_path = dir + "/Config.ini";
    write_host_path = dir + "/Settings.ini";
    system_path = SystemPath(host_path);
    write_path = SystemPath(write_host_path);
    const std::vector<uint8_t> bytes = Utf16FileBytes(MakeIniText(&plan));
    FILE* file = std::fopen(host_path.c_str(), "wb");
    std::fwrite(bytes.data(), 1, bytes.size(), file);
    std::fclose(file);
    file_size = bytes.size();
    for (const Lookup& lookup : plan) key_count += static_cast<int>(lookup.keys.size());
  }
  ~Fixture() {
    std::error_code ignored;
    std::filesystem::remove_all(dir, ignored);
  }
  static WString SystemPath(const std::string& host) {
    WString path;
    for (char c : host) path.push_back(c == '/' ? u'\\' : WCHAR(c));
    return path;
  }
};

Fixture& Files() {
  static Fixture fixture;
  return fixture;
}

// One loader's pass: every key of every section, sections in file order.
__attribute__((noinline)) int RunLookupPass(IniFile* ini, const std::vector<Lookup>& plan) {
  WCHAR value[kValueSize];
  int total = 0;
  for (const Lookup& lookup : plan) {
    for (const WString& key : lookup.keys) {
      total += ini->IniGetString(lookup.section.c_str(), key.c_str(), u"", value, kValueSize);
    }
  }
  return total;
}

// The same pass with every section searched from the text start, as if no
// hint were kept.
__attribute__((noinline)) int RunLookupPassNoHint(const IniFile* ini,
                                                  const std::vector<Lookup>& plan) {
  WCHAR value[kValueSize];
  int total = 0;
  for (const Lookup& lookup : plan) {
    for (const WString& key : lookup.keys) {
      const WCHAR* header =
          ini->FindSection(lookup.section.c_str(), ini->TextStart(), ini->TextEnd());
      if (header == nullptr) continue;
      const WCHAR* line = ini->FindKey(key.c_str(), header, ini->TextEnd());
      if (line == nullptr) continue;
      total += ini->ReadValue(line, ini->TextEnd(), value, kValueSize);
    }
  }
  return total;
}

// The settings write-back: records of 92, 172, 172 and 8 bytes.
struct Records {
  BYTE option[92], sc_range[172], latin_range[172], extend[8];
  Records() {
    for (size_t i = 0; i < sizeof option; ++i) option[i] = static_cast<BYTE>(i * 3);
    for (size_t i = 0; i < sizeof sc_range; ++i) sc_range[i] = static_cast<BYTE>(0xFF - i);
    for (size_t i = 0; i < sizeof latin_range; ++i) latin_range[i] = static_cast<BYTE>(i & 0x81);
    for (size_t i = 0; i < sizeof extend; ++i) extend[i] = static_cast<BYTE>(i + 1);
  }
};

__attribute__((noinline)) void RunWriteBack(const WString& path, const Records& r) {
  IniFile ini;
  ini.IniOpen(path.c_str(), GENERIC_WRITE, kIniWriteRoom);
  ini.IniSetRecord(u"option", u"option", r.option, sizeof r.option);
  ini.IniSetRecord(u"option", u"SCRange", r.sc_range, sizeof r.sc_range);
  ini.IniSetRecord(u"option", u"LatinRange", r.latin_range, sizeof r.latin_range);
  ini.IniSetRecord(u"option", u"Extend", r.extend, sizeof r.extend);
  ini.IniClose();
}

bool CheckPass(benchmark::State& state, IniFile* ini) {
  if (ini->IniOpen(Files().system_path.c_str(), GENERIC_READ, 0) != 1) {
    state.SkipWithError("cannot open the settings file");
    return false;
  }
  // Both passes must find every key, or the comparison means nothing.
  const int with_hint = RunLookupPass(ini, Files().plan);
  const int without = RunLookupPassNoHint(ini, Files().plan);
  if (with_hint != without || with_hint <= 0) {
    state.SkipWithError("the two lookup passes disagree");
    return false;
  }
  return true;
}

void BM_LookupPass_WithHint(benchmark::State& state) {
  IniFile ini;
  if (!CheckPass(state, &ini)) return;
  for (auto _ : state) benchmark::DoNotOptimize(RunLookupPass(&ini, Files().plan));
  state.SetItemsProcessed(state.iterations() * Files().key_count);
  state.counters["keys"] = Files().key_count;
}
BENCHMARK(BM_LookupPass_WithHint);

void BM_LookupPass_FromTextStart(benchmark::State& state) {
  IniFile ini;
  if (!CheckPass(state, &ini)) return;
  for (auto _ : state) benchmark::DoNotOptimize(RunLookupPassNoHint(&ini, Files().plan));
  state.SetItemsProcessed(state.iterations() * Files().key_count);
}
BENCHMARK(BM_LookupPass_FromTextStart);

void BM_LoaderVisit(benchmark::State& state) {
  for (auto _ : state) {
    IniFile ini;
    ini.IniOpen(Files().system_path.c_str(), GENERIC_READ, 0);
    benchmark::DoNotOptimize(RunLookupPass(&ini, Files().plan));
    ini.IniClose();
  }
  state.SetItemsProcessed(state.iterations() * Files().key_count);
}
BENCHMARK(BM_LoaderVisit);

void BM_OpenClose(benchmark::State& state) {
  for (auto _ : state) {
    IniFile ini;
    benchmark::DoNotOptimize(ini.IniOpen(Files().system_path.c_str(), GENERIC_READ, 0));
    ini.IniClose();
  }
}
BENCHMARK(BM_OpenClose);

void BM_WriteBack(benchmark::State& state) {
  const Records records;
  RunWriteBack(Files().write_path, records);
  struct stat st;
  if (stat(Files().write_host_path.c_str(), &st) != 0 || st.st_size != 1896) {
    state.SkipWithError("the write-back did not produce a file of 1,896 bytes");
    return;
  }
  for (auto _ : state) RunWriteBack(Files().write_path, records);
  state.SetBytesProcessed(state.iterations() * 1896);
}
BENCHMARK(BM_WriteBack);

// The floor for a loader's visit: the file's bytes through the platform
// layer, and through the C library's POSIX calls.
void BM_ReadFileBytes_Platform(benchmark::State& state) {
  std::vector<uint8_t> buffer(Files().file_size + 16);
  for (auto _ : state) {
    HANDLE file = CreateFileW(Files().system_path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    DWORD read = 0;
    ReadFile(file, buffer.data(), static_cast<DWORD>(buffer.size()), &read, nullptr);
    CloseHandle(file);
    if (read != Files().file_size) state.SkipWithError("short read");
  }
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(Files().file_size));
}
BENCHMARK(BM_ReadFileBytes_Platform);

void BM_ReadFileBytes_Posix(benchmark::State& state) {
  std::vector<uint8_t> buffer(Files().file_size + 16);
  for (auto _ : state) {
    const int fd = open(Files().host_path.c_str(), O_RDONLY | O_CLOEXEC);
    const ssize_t read_bytes = read(fd, buffer.data(), buffer.size());
    close(fd);
    if (read_bytes != static_cast<ssize_t>(Files().file_size)) state.SkipWithError("short read");
  }
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(Files().file_size));
}
BENCHMARK(BM_ReadFileBytes_Posix);

// One pass of each lookup kind and one write-back, for callgrind.
int OnePass() {
  IniFile ini;
  if (ini.IniOpen(Files().system_path.c_str(), GENERIC_READ, 0) != 1) return 1;
  const int with_hint = RunLookupPass(&ini, Files().plan);
  const int without = RunLookupPassNoHint(&ini, Files().plan);
  ini.IniClose();
  RunWriteBack(Files().write_path, Records());
  std::printf("file %zu bytes, %d keys, %d characters read per pass (%d without hint)\n",
              Files().file_size, Files().key_count, with_hint, without);
  return with_hint == without ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 2 && std::strcmp(argv[1], "--one_pass") == 0) return OnePass();
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
