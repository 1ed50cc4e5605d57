// The recognition settings file: defaults at their documented offsets,
// damaged records, the registry's hot key, the locale's languages, and the
// write-back read again byte for byte.
#include "shared/settings.h"

#include <gtest/gtest.h>

#include <cctype>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "paths/path_utils.h"
#include "tests/shared/test_env.h"
#include "tests/test_support.h"

using test_support::Bytes;
using test_support::FirstDifference;
using test_support::FromUtf8;
using test_support::ReadFileBytes;
using test_support::TempDir;
using test_support::ToUtf8;
using test_support::Utf16Bytes;
using test_support::WriteFileBytes;
using test_support::WString;

namespace {

const WCHAR kHotkeyKey[] = TEXT("Software\\Telvar\\QXLUM\\VEQ");

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
    text += kHex[b >> 4];
    text += kHex[b & 15];
    sum += b;
  }
  text += kHex[(sum >> 4) & 15];
  text += kHex[sum & 15];
  return text;
}

// A section of the test's own holding a fresh block; data files in a
// folder of the test's own; an empty registry.
class SettingsTest : public ::testing::Test {
 protected:
  SettingsTest() : registry_(dir_) {}
  void SetUp() override {
    ASSERT_TRUE(section_.Open(test_env::UniqueName("reco-settings-test").c_str()));
    ASSERT_FALSE(section_.Existed());
  }
  void TearDown() override { section_.Release(); }

  PreferenceBlock* Block() { return section_.Block(); }
  // The data directory as start-up leaves it: ending in a backslash.
  WString DataDir() const { return dir_.Path() + TEXT("\\data\\"); }
  WString SettingsFile() const { return DataDir() + TEXT("Config\\Settings.ini"); }

  // Loads into a block made all zeros again, as a new section is.
  void Load() {
    std::memset(Block(), 0, sizeof(PreferenceBlock));
    EXPECT_EQ(1, LoadRecoSettings(&section_, DataDir().c_str()));
  }

  void WriteSettings(const std::string& lines) {
    ASSERT_EQ(1, CreateDirectoryTree(SettingsFile().c_str()));
    ASSERT_TRUE(WriteFileBytes(SettingsFile(), Utf16Bytes(FromUtf8(lines))));
  }

  TempDir dir_;
  test_env::TestRegistry registry_;
  PreferenceSection section_;
};

// The defaults as documented, by block offset. Language-dependent words are
// filled in by the test.
struct WordCase {
  size_t offset;
  uint32_t value;
};

std::vector<WordCase> DefaultWords(uint32_t menu_lang_index, uint32_t reco_lang_id) {
  // clang-format off
  std::vector<WordCase> rows = {
      // header record
      {0, 0}, {4, 0}, {8, 15}, {12, 2}, {16, 30}, {20, 0x0A30C000}, {24, 300}, {28, 6},
      {32, 0}, {36, 0}, {40, 0}, {44, 1}, {48, menu_lang_index}, {52, reco_lang_id},
      {56, 0}, {60, 0}, {64, 20}, {68, 0}, {72, 96}, {76, 0}, {80, 0}, {84, 0}, {88, 0},
      // entries 2 to 4 match no language
      {436, 0}, {608, 0}, {780, 0},
      // after the entries
      {952, 0x300000}, {956, 0}, {1988, 0}, {1992, 0}, {1996, 0xFFFFFFFF}, {2000, 16},
  };
  // Entry offsets: Chinese (92) and Latin (264) defaults; 52 and 56 hold "宋体".
  const uint32_t entries[][3] = {
      {0, 2052, 1033}, {4, 0x1000, 0x101}, {8, 0x1001, 0x101}, {12, 0x08400701, 0x4307},
      {16, 0, 1}, {20, 3, 3}, {24, 0, 0}, {44, 0, 0}, {48, 3, 1},
      {52, 0x4F535B8B, 0x4F535B8B}, {56, 0, 0}, {116, 0, 0}, {124, 0, 0}, {128, 80, 80},
      {132, 0, 0}, {136, 0, 0},
  };
  // clang-format on
  for (const auto& e : entries) {
    rows.push_back({92 + e[0], e[1]});
    rows.push_back({264 + e[0], e[2]});
  }
  return rows;
}

void ExpectWords(const PreferenceBlock* block, const std::vector<WordCase>& rows) {
  for (size_t i = 0; i < rows.size(); ++i) {
    EXPECT_EQ(rows[i].value, WordAt(block, rows[i].offset))
        << "row " << i << ", block offset " << rows[i].offset;
  }
}

uint32_t ExpectedMenuIndex() { return GetUserDefaultLangID() == 2052 ? 0 : 1; }
uint32_t ExpectedRecoLang() { return GetUserDefaultLangID() == 2052 ? 2052 : 1033; }

TEST_F(SettingsTest, Settings_NoFileGivesDocumentedDefaults) {
  Load();
  ExpectWords(Block(), DefaultWords(ExpectedMenuIndex(), ExpectedRecoLang()));
  EXPECT_EQ(ToUtf8(SettingsFile()), ToUtf8(Block()->SettingsPath));
  // The folder of the file is made for the write-back; the file is not.
  EXPECT_TRUE(test_support::IsDirectory(DataDir() + TEXT("Config")));
  EXPECT_FALSE(test_support::PathExists(SettingsFile()));
  EXPECT_EQ(&Block()->Entries[0], FindLanguageEntry(Block(), 2052));
  EXPECT_EQ(&Block()->Entries[1], FindLanguageEntry(Block(), 1033));
  EXPECT_EQ(nullptr, FindLanguageEntry(Block(), 1028));
  // The whole word is compared: 2052 with a nonzero upper half is not 2052.
  Block()->Entries[0].LangId = 0x10804;
  EXPECT_EQ(nullptr, FindLanguageEntry(Block(), 2052));
  Block()->Entries[3].LangId = 2052;
  EXPECT_EQ(&Block()->Entries[3], FindLanguageEntry(Block(), 2052));
}

TEST_F(SettingsTest, Settings_LanguagesFollowTheLocale) {
#if defined(_WIN32)
  GTEST_SKIP() << "Wine fixes the user's language when the process starts";
#else
  struct Case {
    const char* locale;
    uint32_t menu_lang_index;
    uint32_t reco_lang_id;
  };
  const Case cases[] = {
      {"zh_CN.UTF-8", 0, 2052}, {"zh_CN", 0, 2052},       {"zh", 0, 2052}, {"zh_TW.UTF-8", 1, 1033},
      {"de_DE.UTF-8", 1, 1033}, {"en_US.UTF-8", 1, 1033}, {"C", 1, 1033},  {"", 1, 1033},
  };
  for (const Case& c : cases) {
    test_env::ScopedEnv all("LC_ALL", c.locale);
    Load();
    EXPECT_EQ(c.menu_lang_index, static_cast<uint32_t>(Block()->Header.MenuLangIndex)) << c.locale;
    EXPECT_EQ(c.reco_lang_id, Block()->Header.RecoLangId) << c.locale;
  }
#endif
}

TEST_F(SettingsTest, Settings_HotkeyFromTheRegistry) {
  struct Case {
    const char* name;
    DWORD type;  // REG_NONE: no value at all
    Bytes data;
    uint32_t hotkey;
  };
  const Case cases[] = {
      {"no key", REG_NONE, {}, 96},
      {"dword", REG_DWORD, {0x61, 0, 0, 0}, 0x61},
      {"dword zero", REG_DWORD, {0, 0, 0, 0}, 96},
      {"one byte, type not looked at", REG_BINARY, {0x35}, 0x35},
      {"three bytes", REG_BINARY, {1, 2, 3}, 0x030201},
      {"longer than four bytes is not read", REG_SZ, {'7', 0, '0', 0, 0, 0}, 96},
  };
  for (const Case& c : cases) {
    if (c.type != REG_NONE) {
      ASSERT_TRUE(test_env::TestRegistry::Set(kHotkeyKey, TEXT("Hotkey"), c.type, c.data.data(),
                                              static_cast<DWORD>(c.data.size())))
          << c.name;
    }
    Load();
    EXPECT_EQ(c.hotkey, Block()->Header.Hotkey) << c.name;
  }
}

// Values that differ from every default, with zeros where the entry
// defaults leave bytes alone, so a rejected record is its defaults exactly.
struct Records {
  Bytes header = Bytes(92);
  Bytes chinese = Bytes(172);
  Bytes latin = Bytes(172);
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

enum class Damage {
  kNone,
  kLowerCase,    // accepted
  kExtraDigits,  // cut to 2N + 2 when read: accepted
  kNoChecksum,   // 2N characters
  kShort,        // 2N + 1 characters
  kBadChecksum,
  kBadHex,
  kEmpty,
  kMissing,
};

std::string Damaged(const std::string& record, Damage damage) {
  std::string text = record;
  switch (damage) {
    case Damage::kNone:
      break;
    case Damage::kLowerCase:
      for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
      break;
    case Damage::kExtraDigits:
      text += "00";
      break;
    case Damage::kNoChecksum:
      text.resize(text.size() - 2);
      break;
    case Damage::kShort:
      text.resize(text.size() - 1);
      break;
    case Damage::kBadChecksum:
      text.back() = text.back() == '0' ? '1' : '0';
      break;
    case Damage::kBadHex:
      text[text.size() - 3] = 'G';  // last digit of the last byte
      break;
    case Damage::kEmpty:
      text.clear();
      break;
    case Damage::kMissing:
      break;
  }
  return text;
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
  for (int k = 0; k < 5; ++k) {
    defaults.push_back(BytesOf(Block(), offsets[k], values[k]->size()));
  }

  struct Case {
    Damage damage;
    bool accepted;
  };
  const Case cases[] = {
      {Damage::kNone, true},        {Damage::kLowerCase, true}, {Damage::kExtraDigits, true},
      {Damage::kNoChecksum, false}, {Damage::kShort, false},    {Damage::kBadChecksum, false},
      {Damage::kBadHex, false},     {Damage::kEmpty, false},    {Damage::kMissing, false},
  };
  for (int damaged = 0; damaged < 5; ++damaged) {
    for (size_t row = 0; row < sizeof(cases) / sizeof(cases[0]); ++row) {
      const Case& c = cases[row];
      std::string lines = "[option]\r\n";
      for (int k = 0; k < 5; ++k) {
        if (k == damaged && c.damage == Damage::kMissing) continue;
        const std::string record = RecordText(*values[k]);
        lines += std::string(keys[k]) + "=" + (k == damaged ? Damaged(record, c.damage) : record) +
                 "\r\n";
      }
      WriteSettings(lines);
      Load();
      for (int k = 0; k < 5; ++k) {
        const bool loaded = k != damaged || c.accepted;
        const Bytes& expected = loaded ? *values[k] : defaults[k];
        EXPECT_EQ("", FirstDifference(BytesOf(Block(), offsets[k], expected.size()), expected))
            << "damaged key " << keys[damaged] << ", row " << row << ", checking " << keys[k]
            << (loaded ? " (loaded)" : " (defaults)");
      }
    }
  }
}

TEST_F(SettingsTest, Settings_SmallRecordsAsDocumented) {
  struct Case {
    const char* line;
    size_t offset;
    uint32_t value;
  };
  const Case cases[] = {
      {"NumRange=0000300030", 952, 0x300000},
      {"NumRange=0000300031", 952, 0x300000},  // bad sum: the default
      {"NumRange=0100000001", 952, 1},
      {"Extend=FFFFFFFF100000000C", 2000, 16},
      {"Extend=010000001800000019", 2000, 24},
      {"Extend=0000000020000000 20", 2000, 16},  // a blank inside: not hexadecimal
  };
  for (const Case& c : cases) {
    WriteSettings(std::string("[option]\r\n") + c.line + "\r\n");
    Load();
    EXPECT_EQ(c.value, WordAt(Block(), c.offset)) << c.line;
  }
}

TEST_F(SettingsTest, Settings_HotkeyZeroInTheFileBecomes96) {
  Records records;
  std::memset(&records.header[72], 0, 4);
  WriteSettings("[option]\r\noption=" + RecordText(records.header) + "\r\n");
  Load();
  EXPECT_EQ(96u, Block()->Header.Hotkey);
  EXPECT_EQ(WordAt(records.header.data(), 68), Block()->Header.Word68);
}

TEST_F(SettingsTest, Settings_UnreadableFileGivesDefaults) {
  // A folder where the file should be: it exists, but cannot be opened.
  ASSERT_EQ(1, CreateDirectoryTree((SettingsFile() + TEXT("\\")).c_str()));
  Load();
  ExpectWords(Block(), DefaultWords(ExpectedMenuIndex(), ExpectedRecoLang()));
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
  ASSERT_TRUE(ReadFileBytes(SettingsFile(), &file));
  const std::string text = "[option]\r\noption=" + RecordText(header) +
                           "\r\nSCRange=" + RecordText(BytesOf(Block(), 92, 172)) +
                           "\r\nLatinRange=" + RecordText(BytesOf(Block(), 264, 172)) +
                           "\r\nExtend=FFFFFFFF100000000C\r\n";
  EXPECT_EQ(1896u, file.size());
  EXPECT_EQ("", FirstDifference(file, Utf16Bytes(FromUtf8(text))));

  Load();
  EXPECT_EQ("", FirstDifference(BytesOf(Block(), 0, 92), header));
  EXPECT_EQ("", FirstDifference(BytesOf(Block(), 92, 2 * 172), entries));
  EXPECT_EQ("", FirstDifference(BytesOf(Block(), 1996, 8), extend));
}

TEST_F(SettingsTest, Settings_WriteBackWithoutFolderDoesNothing) {
  Load();
  const WString missing = dir_ / TEXT("gone\\Config\\Settings.ini");
  std::memset(Block()->SettingsPath, 0, sizeof(Block()->SettingsPath));
  std::memcpy(Block()->SettingsPath, missing.c_str(), missing.size() * sizeof(WCHAR));
  EXPECT_EQ(1, WriteBackSettings(&section_));
  EXPECT_FALSE(test_support::PathExists(missing));
}

TEST(Settings_NoView, LoadAndWriteBackAreHarmless) {
  PreferenceSection unopened;
  EXPECT_EQ(1, LoadRecoSettings(&unopened, TEXT("\\nowhere")));
  EXPECT_EQ(1, WriteBackSettings(&unopened));
  EXPECT_EQ(1, LoadRecoSettings(nullptr, nullptr));
  EXPECT_EQ(nullptr, FindLanguageEntry(nullptr, 2052));
}

}  // namespace
