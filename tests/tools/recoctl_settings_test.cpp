// recoctl's settings commands, run in-process on a settings file in a
// scratch folder: what they accept, what they refuse without touching the
// file, and that what they print can be given back byte for byte.
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "tests/test_support.h"
#include "tools/recoctl/recoctl_app.h"

namespace {

using test_support::Bytes;
using test_support::WString;

// The host's name of a system path: the POSIX layer's paths use slashes.
std::string Host(const WString& path) {
  std::string host = test_support::ToUtf8(path);
#if !defined(_WIN32)
  for (char& c : host) {
    if (c == '\\') c = '/';
  }
#endif
  return host;
}

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
  std::string Write(const char* name, const WString& text) {
    const std::string utf8 = test_support::ToUtf8(text);
    EXPECT_TRUE(test_support::WriteFileBytes(dir_ / test_support::FromUtf8(name),
                                             Bytes(utf8.begin(), utf8.end())));
    return Host(dir_ / test_support::FromUtf8(name));
  }

  test_support::TempDir dir_;
  std::string file_ = Host(dir_ / TEXT("Settings.ini"));
  Bytes original_;
};

TEST_F(RecoctlSettings, BadInputExitsTwoAndLeavesTheFile) {
  const std::string bad_json = Write("bad.json", TEXT("{\"SCRange\": {"));
  const std::string unknown_json = Write("unknown.json", TEXT("{\"SCRange\": {\"Nope\": 1}}"));
  const std::string float_json = Write("float.json", TEXT("{\"SCRange\": {\"Charset\": 1.5}}"));
  const std::string list_json = Write("list.json", TEXT("[1, 2]"));
  struct Case {
    std::vector<std::string> args;  // after "settings"; FILE is added second
  } cases[] = {
      {{"set"}},
      {{"set", "SCRange.RecoRange"}},
      {{"set", "Nope.RecoRange=1"}},
      {{"set", "SCRange.Nope=1"}},
      // 4
      {{"set", "SCRange.RecoRange=0x100000000"}},
      {{"set", "SCRange.Charset=4294967296"}},
      {{"set", "SCRange.Charset=12ab"}},
      {{"set", "SCRange.Charset=-1"}},
      // 8
      {{"set", "SCRange.RecoRange=0x"}},
      {{"set", "LatinRange.FontName=ABCDEFGHIJKLMNOPQRSTUVWXYZ012345"}},
      {{"set", "LatinRange.PhraseMode=5"}},
      {{"set", "SCRange.LangId=65536"}},
      // 12
      {{"set", "SCRange.Reserved28=00"}},
      {{"set", "option.MenuLangIndex=-2147483649"}},
      {{"set", "SCRange.Charset=4098", "SCRange.Nope=1"}},
      {{"reset", "SCRange.Nope"}},
      // 16
      {{"import", bad_json}},
      {{"import", unknown_json}},
      {{"import", float_json}},
      {{"import", list_json}},
  };
  for (size_t i = 0; i < sizeof(cases) / sizeof(cases[0]); ++i) {
    std::vector<std::string> args = cases[i].args;
    args.insert(args.begin() + 1, file_);
    args.insert(args.begin(), "settings");
    EXPECT_EQ(2, Recoctl(args).status) << "row " << i << ": " << args[2];
    EXPECT_EQ("", test_support::FirstDifference(Now(), original_)) << "row " << i;
  }
}

TEST_F(RecoctlSettings, SetThenShowGivesTheValueAndSettingItBackTheFile) {
  struct Case {
    const char* name;
    const char* value;  // as show prints it back
  } cases[] = {
      {"SCRange.RecoRange", "0x701"},
      {"SCRange.Charset", "4098"},
      {"LatinRange.PhraseMode", "4"},
      {"LatinRange.FontName", "Tahoma"},
      {"Extend.ExtendSize", "20"},
      {"option.RecoLangId", "2052"},
      {"option.MenuLangIndex", "-1"},
      {"NumRange.NumRange", "0x1234"},
      {"SCRange.Reserved28", "00112233445566778899AABBCCDDEEFF"},
  };
  const std::string before = Recoctl({"settings", "show", file_}).out;
  for (const Case& c : cases) {
    ASSERT_EQ(0, Recoctl({"settings", "set", file_, std::string(c.name) + "=" + c.value}).status);
    const std::string shown = Recoctl({"settings", "show", file_}).out;
    EXPECT_NE(std::string::npos, shown.find(std::string(c.name) + " = " + c.value + "\n"))
        << c.name << " in\n"
        << shown;
    // The value as it was shown before gives the file back.
    const size_t at = before.find(std::string(c.name) + " = ");
    ASSERT_NE(std::string::npos, at) << c.name;
    std::string line = before.substr(at, before.find('\n', at) - at);
    ASSERT_EQ(0,
              Recoctl({"settings", "set", file_, line.replace(line.find(" = "), 3, "=")}).status);
    EXPECT_EQ("", test_support::FirstDifference(Now(), original_)) << c.name;
  }
}

TEST_F(RecoctlSettings, ExportThenImportGivesTheFileBack) {
  const Result exported = Recoctl({"settings", "export", file_});
  ASSERT_EQ(0, exported.status);
  const std::string json = Write("export.json", test_support::FromUtf8(exported.out));
  ASSERT_EQ(0, Recoctl({"settings", "set", file_, "SCRange.Charset=4099",
                        "LatinRange.FontName=Tahoma", "NumRange.NumRange=7"})
                   .status);
  ASSERT_EQ(0, Recoctl({"settings", "import", file_, json}).status);
  EXPECT_EQ("", test_support::FirstDifference(Now(), original_));
}

TEST_F(RecoctlSettings, ShowSaysWhyTheLoadRejectsARecord) {
  struct Case {
    const char* value;  // of "NumRange"
    const char* reason;
  } cases[] = {
      {"", "rejected: missing"},
      {"00003000", "rejected: wrong length (8 characters, not 10)"},
      {"000030G030", "rejected: bad digit at position 7"},
      {"0000300031", "rejected: checksum expected 0x30 got 0x31"},
      {"0000300030", "[NumRange] accepted"},
  };
  for (const Case& c : cases) {
    ASSERT_TRUE(test_support::WriteFileBytes(
        dir_ / TEXT("Settings.ini"),
        test_support::Utf16Bytes(
            test_support::FromUtf8(std::string("[option]\r\nNumRange=") + c.value + "\r\n"))));
    const std::string shown = Recoctl({"settings", "show", file_}).out;
    EXPECT_NE(std::string::npos, shown.find(c.reason)) << c.reason << " in\n" << shown;
  }
}

namespace fs = std::filesystem;

// The sample installation beside the test, as the program finds its own.
fs::path SampleTree() {
  WCHAR path[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, path, MAX_PATH);
  return fs::u8path(Host(path)).parent_path();
}

void Append(const fs::path& file, const std::string& bytes) {
  std::ofstream(file, std::ios::binary | std::ios::app) << bytes;
}

TEST(RecoctlDiagnose, NamesEachBrokenPartOfTheSampleInstallation) {
  struct Case {
    const char* name;
    void (*breaks)(const fs::path& install, const fs::path& data);
    const char* problem;  // null: none
  } cases[] = {
      // The default face, "宋体", is not installed in a fresh Wine prefix, nor
      // are Wine's own faces enumerated there; the CJK face the set-up
      // installs stands in for it (fonts are not checked natively).
      {"sample",
       [](const fs::path&, const fs::path& data) {
         fs::create_directories(data / "Config");
         Recoctl({"settings", "set", (data / "Config" / "Settings.ini").u8string(),
                  "SCRange.FontName=WenQuanYi Zen Hei", "LatinRange.FontName=WenQuanYi Zen Hei"});
       },
       nullptr},
      {"missing file",
       [](const fs::path& install, const fs::path&) {
         fs::remove(install / "Menu Lang" / "English" / "Wizard.ini");
       },
       "missing installation file Menu Lang\\English\\Wizard.ini"},
      {"odd size",
       [](const fs::path& install, const fs::path&) {
         Append(install / "Skin" / "Config.ini", "x");
       },
       "Skin\\Config.ini is not valid UTF-16 (177 bytes, an odd size)"},
      {"data folder not writable", [](const fs::path&, const fs::path& data) { Append(data, ""); },
       "cannot be written"},
      {"bad checksum",
       [](const fs::path&, const fs::path& data) {
         fs::create_directories(data / "Config");
         const Bytes text = test_support::Utf16Bytes(TEXT("[option]\r\nNumRange=0000300031\r\n"));
         Append(data / "Config" / "Settings.ini", std::string(text.begin(), text.end()));
       },
       "settings key \"NumRange\" is rejected: checksum expected 0x30 got 0x31"},
  };
  for (const Case& c : cases) {
    test_support::TempDir dir;
    const fs::path install = fs::u8path(Host(dir.Path())) / "install";
    const fs::path data = fs::u8path(Host(dir.Path())) / "data";
    fs::create_directories(install);
    for (const char* folder : {"Menu Lang", "Reco Lang", "Search", "Skin"}) {
      fs::copy(SampleTree() / folder, install / folder, fs::copy_options::recursive);
    }
    c.breaks(install, data);
    const Result report =
        Recoctl({"diagnose", "--install", install.u8string(), "--data", data.u8string()});
    EXPECT_EQ(c.problem == nullptr ? 0 : 1, report.status) << c.name << "\n" << report.out;
    if (c.problem != nullptr) {
      EXPECT_NE(std::string::npos, report.out.find(c.problem)) << c.name << "\n" << report.out;
    }
  }
}

}  // namespace
