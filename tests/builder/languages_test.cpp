// Interface languages: the end of the key list, the cap of five, a missing
// DIR. Recognition languages: fixed values, the image keys and their
// defaults, and the titles of the interface language.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "builder/loaders.h"
#include "shared/preference_block.h"
#include "tests/builder/builder_test_util.h"

using builder_test::InstallDirOf;
using builder_test::Utf8;
using builder_test::WriteIni;
using test_support::TempDir;
using test_support::ToUtf8;
using test_support::WString;

namespace {

TEST(Languages_MenuLang, ListEndsAtTheFirstGapAndKeepsFive) {
  struct Case {
    const char* keys;  // the [LANGUAGE] section's lines
    DWORD count;
    const char* names;  // NAME of each stored entry, "|"-joined
  };
  const Case cases[] = {
      /* 0 */ {"01=L1\n02=L2\n04=L4\n", 2, "n1|n2"},
      /* 1 */ {"01=L1\n02=L2\n03=L3\n04=L4\n05=L5\n06=L6\n07=L7\n", 5, "n1|n2|n3|n4|n5"},
      /* 2 */ {"02=L2\n", 0, ""},
      /* 3 */ {"01=L1\n02=\n03=L3\n", 1, "n1"},
      /* 4 */ {"01=L1\n02=LX\n", 2, "n1|"},  // LX has no section: empty texts
  };
  for (size_t i = 0; i < sizeof(cases) / sizeof(cases[0]); ++i) {
    const Case& c = cases[i];
    TempDir dir;
    std::string text = std::string("[LANGUAGE]\n") + c.keys;
    for (int n = 1; n <= 7; ++n) {
      text += "[L" + std::to_string(n) + "]\nNAME=n" + std::to_string(n) + "\nDIR=d" +
              std::to_string(n) + "\n";
    }
    WriteIni(dir / TEXT("Config.ini"), text);
    auto block = std::make_unique<PreferenceBlock>();
    LoadMenuLanguages(&block->MenuLangTable, dir.Path().c_str());
    std::string names;
    for (DWORD e = 0; e < block->MenuLangTable.Count && e < kMaxMenuLangs; ++e) {
      names += (e == 0 ? "" : "|") + Utf8(block->MenuLangTable.Entries[e].NAME);
    }
    EXPECT_EQ(c.count, block->MenuLangTable.Count) << "row " << i << ": " << c.keys;
    EXPECT_EQ(c.names, names) << "row " << i << ": " << c.keys;
  }
}

TEST(Languages_MenuLang, Fields) {
  TempDir dir;
  WriteIni(dir / TEXT("Config.ini"),
           "[language]\n01=ENU\n[ENU]\nNAME=English\nHelp=Help\\en.htm\n");
  auto block = std::make_unique<PreferenceBlock>();
  LoadMenuLanguages(&block->MenuLangTable, dir.Path().c_str());
  ASSERT_EQ(1u, block->MenuLangTable.Count);
  const MenuLangEntry& entry = block->MenuLangTable.Entries[0];
  EXPECT_EQ("ENU", Utf8(entry.Language));
  EXPECT_EQ("English", Utf8(entry.NAME));
  EXPECT_EQ("", Utf8(entry.DIR));
  EXPECT_EQ("Help\\en.htm", Utf8(entry.Help));
  LoadMenuLanguages(nullptr, dir.Path().c_str());
  LoadMenuLanguages(&block->MenuLangTable, nullptr);
  EXPECT_EQ(1u, block->MenuLangTable.Count);
}

TEST(Languages_RecoLang, FixedValuesAndImages) {
  TempDir dir;
  const WString install = InstallDirOf(dir);
  // Only the Chinese folder has a Config.ini; English takes the defaults.
  WriteIni(dir / TEXT("Reco Lang\\Simplified Chinese\\Config.ini"),
           "[IMAGE]\nFILE=Sample.bmp\nNUM=4\nDEFAULT=2\n");
  auto block = std::make_unique<PreferenceBlock>();
  LoadRecoLanguages(&block->RecoLangTable, install.c_str());
  const RecoLangTableRegion& table = block->RecoLangTable;
  EXPECT_EQ(2u, table.Count);
  EXPECT_EQ(ToUtf8(install), Utf8(table.InstallDir));
  struct Case {
    DWORD kind, lang_id;
    const char* id;
    const char* folder;
    const char* sample;
    const char* dict;
    const char* image;
    LONG num, def;
  };
  const Case cases[] = {
      {0x1000, 2052, "ID_LANG_SC", "Simplified Chinese", "北京欢迎您", "Dict\\0804", "Sample.bmp",
       4, 2},
      {0x101, 1033, "ID_LANG_EN", "English", "Welcome To China", "Dict\\0409", "", 1, 0},
  };
  for (int i = 0; i < 2; ++i) {
    const Case& c = cases[i];
    const RecoLangEntry& e = table.Entries[i];
    SCOPED_TRACE(testing::Message() << "entry " << i);
    EXPECT_EQ(c.kind, e.Kind);
    EXPECT_EQ(c.lang_id, e.LangId);
    EXPECT_EQ(c.lang_id, e.LangId2);
    EXPECT_EQ("QXRE_VEQ_CHS.dll", Utf8(e.EngineFile));
    EXPECT_EQ(c.id, Utf8(e.Id));
    EXPECT_EQ(c.folder, Utf8(e.Folder));
    EXPECT_EQ(c.folder, Utf8(e.Title));
    EXPECT_EQ(c.sample, Utf8(e.Sample));
    EXPECT_EQ(c.dict, Utf8(e.Dict));
    EXPECT_EQ(c.image, Utf8(e.ImageFile));
    EXPECT_EQ(c.num, e.ImageNum);
    EXPECT_EQ(c.def, e.ImageDefault);
  }
}

TEST(Languages_RecoLang, Titles) {
  struct Case {
    const char* lang_ini;  // nullptr: no file
    const char* title0;
    const char* title1;
  };
  const Case cases[] = {
      /* 0 */ {nullptr, "RecognizeLanguage00", "RecognizeLanguage01"},
      /* 1 */ {"[RECO LANG]\nID_LANG_EN=Anglais\n", "RecognizeLanguage00", "Anglais"},
      /* 2 */ {"[RECO LANG]\nID_LANG_SC=\nid_lang_en=英文\n", "", "英文"},
      /* 3 */
      {"[RECO LANG]\nID_LANG_SC=A title of forty characters, cut at 31.\n",
       "A title of forty characters, cu", "RecognizeLanguage01"},
  };
  for (size_t i = 0; i < sizeof(cases) / sizeof(cases[0]); ++i) {
    const Case& c = cases[i];
    TempDir dir;
    if (c.lang_ini != nullptr) WriteIni(dir / TEXT("Lang.ini"), c.lang_ini);
    auto block = std::make_unique<PreferenceBlock>();
    LoadRecoLanguages(&block->RecoLangTable, InstallDirOf(dir).c_str());
    LoadRecoLangTitles(&block->RecoLangTable, dir.Path().c_str());
    EXPECT_EQ(c.title0, Utf8(block->RecoLangTable.Entries[0].Title)) << "row " << i;
    EXPECT_EQ(c.title1, Utf8(block->RecoLangTable.Entries[1].Title)) << "row " << i;
  }
}

}  // namespace
