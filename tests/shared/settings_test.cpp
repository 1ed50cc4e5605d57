// The recognition settings file: defaults at their documented offsets,
// damaged records, the registry's hot key, the locale's languages, and the
// write-back read again byte for byte.
#include "shared/settings.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <iterator>
#include <string>
#include <vector>

#include "paths/path_utils.h"
#include "platform/fault.h"
#include "tests/fault_loop.h"
#include "tests/shared/test_env.h"
#include "tests/test_support.h"

using test_support::Bytes;
using test_support::FirstDifference;
using test_support::FromUtf8;
using test_support::WString;

namespace {

uint32_t WordAt(const void* base, size_t offset) {
  uint32_t value = 0;
  std::memcpy(&value, static_cast<const uint8_t*>(base) + offset, sizeof(value));
  return value;
}

Bytes BytesOf(const void* base, size_t offset, size_t count) {
  const auto* p = static_cast<const uint8_t*>(base) + offset;
  return Bytes(p, p + count);
}

// Upper-case digits of every byte, then of their sum modulo 256.
std::string RecordText(const Bytes& bytes) {
  static const char kHex[] = "0123456789ABCDEF";
  std::string text;
  unsigned sum = 0;
  for (uint8_t b : bytes) {
    text += {kHex[b >> 4], kHex[b & 15]};
    sum += b;
  }
  return text + kHex[(sum >> 4) & 15] + kHex[sum & 15];
}

// A section of the test's own holding a fresh block; data files in a
// folder of the test's own; an empty registry.
class SettingsTest : public ::testing::Test {
 protected:
  SettingsTest() : registry_(dir_) {}
  void SetUp() override {
    ASSERT_TRUE(section_.Open(test_env::UniqueName("reco-settings-test").c_str()));
  }
  void TearDown() override { section_.Release(); }

  PreferenceBlock* Block() { return section_.Block(); }
  // The data directory as start-up leaves it: ending in a backslash.
  WString DataDir() const { return dir_.Path() + TEXT("\\data\\"); }
  WString SettingsFile() const { return DataDir() + TEXT("Config\\Settings.ini"); }

  // Writes `lines` as the settings file unless empty, then loads into a block
  // made all zeros again, as a new section is.
  void Load(const std::string& lines = "") {
    if (!lines.empty()) {
      ASSERT_EQ(1, CreateDirectoryTree(SettingsFile().c_str()));
      ASSERT_TRUE(
          test_support::WriteFileBytes(SettingsFile(), test_support::Utf16Bytes(FromUtf8(lines))));
    }
    std::memset(Block(), 0, sizeof(PreferenceBlock));
    EXPECT_EQ(1, LoadRecoSettings(&section_, DataDir().c_str()));
  }

  test_support::TempDir dir_;
  test_env::TestRegistry registry_;
  PreferenceSection section_;
};

// Every documented default, by block offset, as {offset, value} pairs.
std::vector<std::pair<size_t, uint32_t>> DefaultWords(uint32_t menu_lang_index,
                                                      uint32_t reco_lang_id) {
  // clang-format off
  // The whole header record, word by word; the hot key at 72.
  const uint32_t header[23] = {0, 0, 15, 2, 30, 0x0A30C000, 300, 6, 0, 0, 0, 1, menu_lang_index,
                               reco_lang_id, 0, 0, 20, 0, 96, 0, 0, 0, 0};
  // Entry offset, Chinese (entry at 92), Latin (entry at 264); 52 holds "宋体".
  const uint32_t entries[][3] = {
      {0, 2052, 1033}, {4, 0x1000, 0x101}, {8, 0x1001, 0x101}, {12, 0x08400701, 0x4307},
      {16, 0, 1}, {20, 3, 3}, {24, 0, 0}, {44, 0, 0}, {48, 3, 1}, {52, 0x4F535B8B, 0x4F535B8B},
      {56, 0, 0}, {116, 0, 0}, {124, 0, 0}, {128, 80, 80}, {132, 0, 0}, {136, 0, 0}};
  // Entries 2 to 4 match no language; then the words after the entries.
  std::vector<std::pair<size_t, uint32_t>> rows = {{436, 0}, {608, 0}, {780, 0}, {952, 0x300000},
      {956, 0}, {1988, 0}, {1992, 0}, {1996, 0xFFFFFFFF}, {2000, 16}};
  // clang-format on
  for (size_t i = 0; i < 23; ++i) rows.push_back({4 * i, header[i]});
  for (const auto& e : entries) rows.insert(rows.end(), {{92 + e[0], e[1]}, {264 + e[0], e[2]}});
  return rows;
}

TEST_F(SettingsTest, Settings_DefaultsWithoutAReadableFile) {
  struct Case {
    const char* locale;
    uint32_t menu_lang_index, reco_lang_id;
  };
  const Case cases[] = {
#if defined(_WIN32)
    // Wine fixes the user's language when the process starts.
    {nullptr, GetUserDefaultLangID() == 2052 ? 0u : 1u,
     GetUserDefaultLangID() == 2052 ? 2052u : 1033u},
#else
    {"zh_CN.UTF-8", 0, 2052},  // 0
    {"zh_TW.UTF-8", 1, 1033},  // 1: only Simplified Chinese is told apart
#endif
  };
  // No file; then a folder where the file should be: it exists, but cannot be opened.
  for (const char* state : {"no file", "a folder in its place"}) {
    if (state[0] == 'a') {
      ASSERT_EQ(1, CreateDirectoryTree((SettingsFile() + TEXT("\\")).c_str()));
    }
    for (size_t row = 0; row < std::size(cases); ++row) {
      SCOPED_TRACE(std::string(state) + ", row " + std::to_string(row));
      test_env::ScopedEnv all("LC_ALL", cases[row].locale);
      Load();
      if (state[0] == 'n') {  // the folder is made for the write-back, the file is not
        EXPECT_TRUE(test_support::IsDirectory(DataDir() + TEXT("Config")));
        EXPECT_FALSE(test_support::PathExists(SettingsFile()));
      }
      for (const auto& word : DefaultWords(cases[row].menu_lang_index, cases[row].reco_lang_id)) {
        EXPECT_EQ(word.second, WordAt(Block(), word.first)) << "block offset " << word.first;
      }
    }
  }
  EXPECT_EQ(test_support::ToUtf8(SettingsFile()), test_support::ToUtf8(Block()->SettingsPath));
  EXPECT_EQ(&Block()->Entries[0], FindLanguageEntry(Block(), 2052));
  EXPECT_EQ(&Block()->Entries[1], FindLanguageEntry(Block(), 1033));
  EXPECT_EQ(nullptr, FindLanguageEntry(Block(), 1028));
  // The whole word is compared: 2052 with a nonzero upper half is not 2052.
  Block()->Entries[0].LangId = 0x10804;
  EXPECT_EQ(nullptr, FindLanguageEntry(Block(), 2052));
  Block()->Entries[3].LangId = 2052;
  EXPECT_EQ(&Block()->Entries[3], FindLanguageEntry(Block(), 2052));
}

// Values that differ from every default, with zeros where the entry
// defaults leave bytes alone, so a rejected record is its defaults exactly.
struct Records {
  Bytes header = Bytes(92), chinese = Bytes(172), latin = Bytes(172);
  Bytes num_range = {0x78, 0x56, 0x34, 0x12};
  Bytes extend = {7, 0, 0, 0, 24, 0, 0, 0};
  Records() {
    for (size_t i = 0; i < header.size(); ++i) header[i] = static_cast<uint8_t>(0xA0 + i);
    for (size_t i = 0; i < chinese.size(); ++i) {
      const bool untouched = (i >= 16 && i < 20) || (i >= 28 && i < 44) || i >= 140;
      chinese[i] = untouched ? 0 : static_cast<uint8_t>(i * 7 + 1);
      latin[i] = untouched ? 0 : static_cast<uint8_t>(i * 5 + 3);
    }
  }
};

TEST_F(SettingsTest, Settings_HotkeyFromTheRegistryOrTheFile) {
  const WCHAR key[] = TEXT("Software\\Telvar\\QXLUM\\VEQ");
  struct Case {
    DWORD type;  // REG_NONE: no value at all
    Bytes data;
    int64_t file_hotkey;  // -1: no file
    uint32_t hotkey;
  };
  // In order: a row's registry value stays for the rows after it.
  const Case cases[] = {
      {REG_NONE, {}, -1, 96},                    // 0: no key
      {REG_DWORD, {0, 0, 0, 0}, -1, 96},         // 1
      {REG_BINARY, {0x35}, -1, 0x35},            // 2: the type is not looked at
      {REG_BINARY, {1, 2, 3}, -1, 0x030201},     // 3
      {REG_SZ, {'7', 0, '0', 0, 0, 0}, -1, 96},  // 4: longer than four bytes: not read
      {REG_DWORD, {0x61, 0, 0, 0}, -1, 0x61},    // 5
      {REG_DWORD, {0x61, 0, 0, 0}, 0x22, 0x22},  // 6: the file's record wins
      {REG_DWORD, {0x61, 0, 0, 0}, 0, 96},       // 7: zero there is 96, not the registry's
  };
  for (size_t row = 0; row < std::size(cases); ++row) {
    SCOPED_TRACE("row " + std::to_string(row));
    const Case& c = cases[row];
    if (c.type != REG_NONE) {
      ASSERT_TRUE(test_env::TestRegistry::Set(key, TEXT("Hotkey"), c.type, c.data.data(),
                                              static_cast<DWORD>(c.data.size())));
    }
    Records records;
    const auto hotkey = static_cast<uint32_t>(c.file_hotkey);
    std::memcpy(&records.header[72], &hotkey, 4);
    Load(c.file_hotkey < 0 ? "" : "[option]\r\noption=" + RecordText(records.header) + "\r\n");
    EXPECT_EQ(c.hotkey, Block()->Header.Hotkey);
  }
}

TEST_F(SettingsTest, Settings_DamagedRecordTakesItsOwnDefaultsOnly) {
  const Records records;
  const char* const keys[] = {"option", "SCRange", "LatinRange", "NumRange", "Extend"};
  const Bytes* const values[] = {&records.header, &records.chinese, &records.latin,
                                 &records.num_range, &records.extend};
  const size_t offsets[] = {0, 92, 264, 952, 1996};
  // What each record becomes when rejected.
  Load();
  std::vector<Bytes> defaults;
  for (int k = 0; k < 5; ++k) defaults.push_back(BytesOf(Block(), offsets[k], values[k]->size()));

  struct Case {
    void (*damage)(std::string*);  // nullptr: the key is missing
    bool accepted;
  };
  const Case cases[] = {
      {[](std::string*) {}, true},  // 0
      // 1: lower case; the digits' codes already have the bit
      {[](std::string* t) {
         for (char& c : *t) c = static_cast<char>(c | 0x20);
       },
       true},
      {[](std::string* t) { *t += "00"; }, true},  // 2: cut to 2N + 2 digits when read
      {[](std::string* t) { t->resize(t->size() - 2); }, false},  // 3: no checksum
      {[](std::string* t) { t->pop_back(); }, false},             // 4: 2N + 1 digits
      {[](std::string* t) { t->back() = t->back() == '0' ? '1' : '0'; },
       false},                                                         // 5: wrong checksum
      {[](std::string* t) { (*t)[t->size() - 3] = 'G'; }, false},      // 6: last byte
      {[](std::string* t) { t->insert(t->size() - 2, " "); }, false},  // 7: a blank inside
      {[](std::string* t) { t->clear(); }, false},                     // 8: empty
      {nullptr, false},                                                // 9
  };
  for (int damaged = 0; damaged < 5; ++damaged) {
    for (size_t row = 0; row < std::size(cases); ++row) {
      SCOPED_TRACE("row " + std::to_string(row));
      const Case& c = cases[row];
      std::string lines = "[option]\r\n";
      for (int k = 0; k < 5; ++k) {
        if (k == damaged && c.damage == nullptr) continue;
        std::string record = RecordText(*values[k]);
        if (k == damaged) c.damage(&record);
        lines += std::string(keys[k]) + "=" + record + "\r\n";
      }
      Load(lines);
      for (int k = 0; k < 5; ++k) {
        const Bytes& expected = k != damaged || c.accepted ? *values[k] : defaults[k];
        EXPECT_EQ("", FirstDifference(BytesOf(Block(), offsets[k], expected.size()), expected))
            << "damaged " << keys[damaged] << ", checking " << keys[k];
      }
    }
  }
}

// The file as the write-back writes it for the block: the four records.
std::string RecordsText(const PreferenceBlock* block) {
  return "[option]\r\noption=" + RecordText(BytesOf(block, 0, 92)) +
         "\r\nSCRange=" + RecordText(BytesOf(block, 92, 172)) +
         "\r\nLatinRange=" + RecordText(BytesOf(block, 264, 172)) +
         "\r\nExtend=" + RecordText(BytesOf(block, 1996, 8)) + "\r\n";
}

TEST_F(SettingsTest, Settings_WriteBackThenLoadGivesTheSameBytes) {
  Load();
  // Change what a page and the server would change.
  Block()->Header.Word60 = 0x01020304;
  Block()->Entries[0].RecoRange = 0x5000;
  Block()->Entries[1].AutoInsertSpace = 0;
  Block()->Entries[1].FontName[0] = TEXT('A');
  Block()->Entries[1].Reserved140[31] = 0xEE;
  const Bytes header = BytesOf(Block(), 0, 92);
  const Bytes entries = BytesOf(Block(), 92, 2 * 172);
  const Bytes extend = BytesOf(Block(), 1996, 8);

  EXPECT_EQ(1, WriteBackSettings(&section_));
  Bytes file;
  ASSERT_TRUE(test_support::ReadFileBytes(SettingsFile(), &file));
  // "NumRange" is not written back.
  EXPECT_EQ(1896u, file.size());
  EXPECT_EQ("", FirstDifference(file, test_support::Utf16Bytes(FromUtf8(RecordsText(Block())))));
  EXPECT_NE(std::string::npos, RecordsText(Block()).find("\r\nExtend=FFFFFFFF100000000C\r\n"));

  Load();
  EXPECT_EQ("", FirstDifference(BytesOf(Block(), 0, 92), header));
  EXPECT_EQ("", FirstDifference(BytesOf(Block(), 92, 2 * 172), entries));
  EXPECT_EQ("", FirstDifference(BytesOf(Block(), 1996, 8), extend));

  // A settings path whose folder is gone: nothing is written, no failure.
  const WString missing = dir_ / TEXT("gone\\Config\\Settings.ini");
  std::memset(Block()->SettingsPath, 0, sizeof(Block()->SettingsPath));
  std::memcpy(Block()->SettingsPath, missing.c_str(), missing.size() * sizeof(WCHAR));
  EXPECT_EQ(1, WriteBackSettings(&section_));
  EXPECT_FALSE(test_support::PathExists(missing));
}

TEST_F(SettingsTest, Settings_WriteBackKeepsWhatItDoesNotWrite) {
  Load();
  struct Case {
    Bytes old_file;
    const char* option_keys;  // carried into "[option]" after the records
    const char* sections;     // carried after it
  };
  const auto utf16 = [](const char* text) { return test_support::Utf16Bytes(FromUtf8(text)); };
  const Case cases[] = {
      {utf16("[option]\r\nNumRange=0000300030\r\nSCRange=00\r\n"), "NumRange=0000300030\r\n",
       ""},  // 0
      // 1: blanks and quotes as the reader saw them; a key that looks like a
      // comment stays a key; comments go
      {utf16("; note\n[User]\nName = \" a \"\n ;odd=1\nQ=\"\"x\"\"\n[OPTION]\nextend=1\nX=\n"),
       "X=\r\n", "[User]\r\nName=\" a \"\r\n ;odd=1\r\nQ=\"\"x\"\"\r\n"},
      {{0x41, 0x00, 0x42}, "", ""},  // 2: odd size: nothing any load could read
  };
  for (size_t row = 0; row < std::size(cases); ++row) {
    SCOPED_TRACE("row " + std::to_string(row));
    ASSERT_TRUE(test_support::WriteFileBytes(SettingsFile(), cases[row].old_file));
    EXPECT_EQ(1, WriteBackSettings(&section_));
    Bytes file;
    ASSERT_TRUE(test_support::ReadFileBytes(SettingsFile(), &file));
    const std::string text = RecordsText(Block()) + cases[row].option_keys + cases[row].sections;
    EXPECT_EQ("", FirstDifference(file, test_support::Utf16Bytes(FromUtf8(text))));
  }
}

// Every system call of the write-back fails in turn, and the process is
// ended at each in turn: the file is always the whole old one or the whole
// new one, and a temporary file left behind goes with the next write-back.
TEST_F(SettingsTest, Settings_WriteBackLeavesOldOrNewAtEveryCall) {
  if (!platform_fault::FaultHookAvailable()) GTEST_SKIP() << "no fault hook on this platform";
  Load();
  const Bytes old_file =
      test_support::Utf16Bytes(FromUtf8("[option]\r\nNumRange=0000300030\r\n[User]\r\nK=V\r\n"));
  ASSERT_TRUE(test_support::WriteFileBytes(SettingsFile(), old_file));
  ASSERT_EQ(1, WriteSettingsFile(SettingsFile().c_str(), Block()));
  Bytes new_file;
  ASSERT_TRUE(test_support::ReadFileBytes(SettingsFile(), &new_file));
  const auto check = [&](long n, bool completed) {
    Bytes file;
    ASSERT_TRUE(test_support::ReadFileBytes(SettingsFile(), &file)) << "call " << n;
    EXPECT_TRUE(file == new_file || (!completed && file == old_file))
        << "call " << n << ": " << FirstDifference(file, old_file);
    if (completed) {
      EXPECT_FALSE(test_support::PathExists(DataDir() + TEXT("Config\\Settings.tmp")));
    }
    ASSERT_TRUE(test_support::WriteFileBytes(SettingsFile(), old_file));
  };
  const auto write_back = [&] { WriteBackSettings(&section_); };
  const long calls = fault_loop::ForEachFailedCall(write_back, check);
  EXPECT_GE(calls, 20);
  RecordProperty("system_calls", static_cast<int>(calls));
  EXPECT_EQ(calls, fault_loop::ForEachCrash(write_back, check));
}

TEST(Settings_NoView, LoadAndWriteBackAreHarmless) {
  PreferenceSection unopened;
  EXPECT_EQ(1, LoadRecoSettings(&unopened, TEXT("\\nowhere")));
  EXPECT_EQ(1, WriteBackSettings(&unopened));
  EXPECT_EQ(1, LoadRecoSettings(nullptr, nullptr));
  EXPECT_EQ(nullptr, FindLanguageEntry(nullptr, 2052));
}

}  // namespace
