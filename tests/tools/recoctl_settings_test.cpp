// recoctl's settings commands, run in-process on a settings file in a
// scratch folder: what they accept, what they refuse without touching the
// file, and that what they print can be given back byte for byte.
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "tests/shared/test_env.h"
#include "tests/test_support.h"
#include "tools/recoctl/recoctl_app.h"

namespace {

using test_env::HostPath;
using test_support::Bytes;
using test_support::FirstDifference;

struct Result {
  int status;
  std::string out;
};

Result Recoctl(std::vector<std::string> args) {
  args.insert(args.begin(), "recoctl");
  testing::internal::CaptureStdout();
  const int status = RunRecoctl(args);
  return {status, testing::internal::GetCapturedStdout()};
}

class RecoctlSettings : public testing::Test {
 protected:
  void SetUp() override {
    // A file as the tool leaves it, with a "NumRange" and a section of
    // another program, which every write must keep.
    ASSERT_TRUE(test_support::WriteFileBytes(
        dir_ / TEXT("Settings.ini"),
        test_support::Utf16Bytes(
            TEXT("[option]\r\nNumRange=0000300030\r\n[Other]\r\nName=Value\r\n"))));
    ASSERT_EQ(0, Recoctl({"settings", "reset", file_}).status);
    ASSERT_TRUE(test_support::ReadFileBytes(dir_ / TEXT("Settings.ini"), &original_));
  }
  Bytes Now() const {
    Bytes bytes;
    EXPECT_TRUE(test_support::ReadFileBytes(dir_ / TEXT("Settings.ini"), &bytes));
    return bytes;
  }
  std::string Write(const char* name, const std::string& text) {
    const test_support::WString path = dir_ / test_support::FromUtf8(name);
    EXPECT_TRUE(test_support::WriteFileBytes(path, Bytes(text.begin(), text.end())));
    return HostPath(path);
  }

  test_support::TempDir dir_;
  std::string file_ = HostPath(dir_ / TEXT("Settings.ini"));
  Bytes original_;
};

TEST_F(RecoctlSettings, BadInputExitsTwoAndLeavesTheFile) {
  const std::string unknown_json = Write("unknown.json", "{\"SCRange\": {\"Nope\": 1}}");
  const std::string float_json = Write("float.json", "{\"SCRange\": {\"Charset\": 1.5}}");
  const std::string list_json = Write("list.json", "[1, 2]");
  // After "settings"; FILE is added second.
  const std::vector<std::string> cases[] = {
      {"set"},
      {"set", "SCRange.RecoRange"},
      {"set", "SCRange.Charset=4098", "SCRange.Nope=1"},  // nothing of a good one either
      {"set", "SCRange.Charset=4294967296"},
      // 4
      {"set", "SCRange.Charset=12ab"},
      {"set", "SCRange.Charset=-1"},
      {"set", "LatinRange.FontName=ABCDEFGHIJKLMNOPQRSTUVWXYZ012345"},
      {"set", "LatinRange.PhraseMode=5"},
      // 8
      {"set", "SCRange.Reserved28=00"},
      {"set", "option.MenuLangIndex=-2147483649"},
      {"reset", "SCRange.Nope"},
      {"import", unknown_json},
      // 12
      {"import", float_json},
      {"import", list_json},
  };
  for (size_t i = 0; i < std::size(cases); ++i) {
    std::vector<std::string> args = cases[i];
    args.insert(args.begin() + 1, file_);
    args.insert(args.begin(), "settings");
    EXPECT_EQ(2, Recoctl(args).status) << "row " << i << ": " << args[2];
    EXPECT_EQ("", FirstDifference(Now(), original_)) << "row " << i;
  }
}

// Set by name, shown as set, and the export of before imported again gives
// the file back byte for byte.
TEST_F(RecoctlSettings, SetShowExportImportRoundTrip) {
  struct Case {
    const char* name;
    const char* value;  // as show prints it back
  } cases[] = {
      {"SCRange.RecoRange", "0x701"},
      {"LatinRange.PhraseMode", "4"},
      {"LatinRange.FontName", "Tahoma"},
      {"Extend.ExtendSize", "20"},
      {"option.MenuLangIndex", "-1"},
      {"NumRange.NumRange", "0x1234"},
      {"SCRange.Reserved28", "00112233445566778899AABBCCDDEEFF"},
  };
  const Result exported = Recoctl({"settings", "export", file_});
  ASSERT_EQ(0, exported.status);
  std::vector<std::string> set = {"settings", "set", file_};
  for (const Case& c : cases) set.push_back(std::string(c.name) + "=" + c.value);
  ASSERT_EQ(0, Recoctl(set).status);
  const std::string shown = Recoctl({"settings", "show", file_}).out;
  for (const Case& c : cases) {
    EXPECT_NE(std::string::npos, shown.find(std::string(c.name) + " = " + c.value + "\n"))
        << c.name << " in\n"
        << shown;
  }
  ASSERT_EQ(0, Recoctl({"settings", "import", file_, Write("export.json", exported.out)}).status);
  EXPECT_EQ("", FirstDifference(Now(), original_));
}

TEST_F(RecoctlSettings, ShowSaysWhyTheLoadRejectsEachRecord) {
  // "option" and "LatinRange" are missing; the checksum's message is the
  // diagnose test's.
  ASSERT_TRUE(test_support::WriteFileBytes(
      dir_ / TEXT("Settings.ini"),
      test_support::Utf16Bytes(TEXT("[option]\r\nSCRange=00003000\r\nNumRange=0000300030\r\n")
                                   TEXT("Extend=00000000000000G000\r\n"))));
  const std::string shown = Recoctl({"settings", "show", file_}).out;
  for (const char* reason :
       {"[option] rejected: missing", "[SCRange] rejected: wrong length (8 characters, not 346)",
        "[NumRange] accepted", "[Extend] rejected: bad digit at position 15"}) {
    EXPECT_NE(std::string::npos, shown.find(reason)) << reason << " in\n" << shown;
  }
}

namespace fs = std::filesystem;

// The sample installation beside the test, as the program finds its own.
fs::path SampleTree() {
  WCHAR path[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, path, MAX_PATH);
  return fs::u8path(HostPath(path)).parent_path();
}

void Append(const fs::path& file, const std::string& bytes) {
  std::ofstream(file, std::ios::binary | std::ios::app) << bytes;
}

TEST(RecoctlDiagnose, NamesEachBrokenPartOfTheSampleInstallation) {
  using Path = fs::path;
  struct Case {
    void (*breaks)(const Path& install, const Path& data);
    const char* problem;  // null: none
  } cases[] = {
      // The default face, "宋体", is not installed in a fresh Wine prefix, nor
      // are Wine's own faces enumerated there; the CJK face the set-up
      // installs stands in for it (fonts are not checked natively).
      {[](const Path&, const Path& data) {
         fs::create_directories(data / "Config");
         Recoctl({"settings", "set", (data / "Config" / "Settings.ini").u8string(),
                  "SCRange.FontName=WenQuanYi Zen Hei", "LatinRange.FontName=WenQuanYi Zen Hei"});
       },
       nullptr},
      {[](const Path& in, const Path&) { fs::remove(in / "Menu Lang" / "English" / "Wizard.ini"); },
       "missing installation file Menu Lang\\English\\Wizard.ini"},
      {[](const Path& in, const Path&) { Append(in / "Skin" / "Config.ini", "x"); },
       "Skin\\Config.ini is not valid UTF-16 (177 bytes, an odd size)"},
      {[](const Path&, const Path& data) { Append(data, ""); }, "cannot be written"},
      {[](const Path&, const Path& data) {
         fs::create_directories(data / "Config");
         const Bytes text = test_support::Utf16Bytes(TEXT("[option]\r\nNumRange=0000300031\r\n"));
         Append(data / "Config" / "Settings.ini", std::string(text.begin(), text.end()));
       },
       "settings key \"NumRange\" is rejected: checksum expected 0x30 got 0x31"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.problem != nullptr ? c.problem : "the sample as it is");
    test_support::TempDir dir;
    const Path install = fs::u8path(HostPath(dir.Path())) / "install";
    const Path data = fs::u8path(HostPath(dir.Path())) / "data";
    fs::create_directories(install);
    for (const char* folder : {"Menu Lang", "Reco Lang", "Search", "Skin"}) {
      fs::copy(SampleTree() / folder, install / folder, fs::copy_options::recursive);
    }
    c.breaks(install, data);
    const Result report =
        Recoctl({"diagnose", "--install", install.u8string(), "--data", data.u8string()});
    EXPECT_EQ(c.problem == nullptr ? 0 : 1, report.status) << report.out;
    EXPECT_TRUE(c.problem == nullptr || report.out.find(c.problem) != std::string::npos)
        << report.out;
  }
}

}  // namespace
