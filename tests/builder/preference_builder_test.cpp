// The builder as a whole: the sample installation tree in both interface
// and recognition languages, an empty tree (every default), and the steps
// that find no entry.
#include "builder/preference_builder.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "builder/loaders.h"
#include "builder/text_tables.h"
#include "ini/ini_file.h"
#include "tests/builder/builder_test_util.h"

using builder_test::FreshBlock;
using builder_test::InstallDirOf;
using builder_test::Utf8;
using builder_test::WriteIni;
using test_support::TempDir;
using test_support::ToUtf8;
using test_support::WString;

namespace {

// The sample tree is built beside the test program, where the tool finds
// its own installation.
WString SampleTree() {
  WCHAR path[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, path, MAX_PATH);
  DirectoryOfPath(path, path);
  return path;
}

bool AllZero(const void* region, size_t size) {
  const auto* bytes = static_cast<const unsigned char*>(region);
  for (size_t i = 0; i < size; ++i) {
    if (bytes[i] != 0) return false;
  }
  return true;
}

TEST(PreferenceBuilder_Build, SampleTree) {
  FreshBlock block;
  ASSERT_TRUE(block.Opened());
  TempDir data;
  const WString install = SampleTree();
  const WString data_dir = InstallDirOf(data);
  EXPECT_EQ(0u, BuildPreferences(block.Section(), install.c_str(), data_dir.c_str()));

  EXPECT_EQ(GetUserDefaultLangID() == 2052 ? 0 : 1, block->Header.MenuLangIndex);
  EXPECT_EQ(2u, block->MenuLangTable.Count);
  EXPECT_EQ("English", Utf8(block->MenuLangTable.Entries[1].DIR));
  EXPECT_EQ(2u, block->RecoLangTable.Count);
  EXPECT_EQ(4, block->RecoLangTable.Entries[0].ImageNum);
  EXPECT_EQ("Sample_EN.bmp", Utf8(block->RecoLangTable.Entries[1].ImageFile));
  EXPECT_EQ(4u, block->SearchTable.Count);
  EXPECT_EQ(5u, block->SearchTable.Engines[0].Count);
  EXPECT_EQ(2, block->SearchTable.Engines[3].TYPE);
  EXPECT_EQ("https://en.wiktionary.org/w/index.php?search=%s",
            Utf8(block->SearchTable.Engines[3].Items[1].URL));
  EXPECT_EQ(3u, block->SkinTable.Count);
  EXPECT_EQ(480u, block->SkinTable.Skins[2].SIZE);
  EXPECT_EQ(ToUtf8(install) + "Skin\\Blue\\Toolbar.bmp", Utf8(block->SkinTable.Skins[1].TOOLBAR));
  EXPECT_EQ(ToUtf8(install) + "Skin\\Gesture.bmp", Utf8(block->GestureImage.Path));

  // Both recognition languages with both interface languages, whatever the
  // locale chose for the build.
  struct Case {
    LONG menu_lang;
    DWORD reco_lang;
    const char* punc_font;
    DWORD punc_size;
    DWORD keyboards;
    const char* keyboard_title;  // of the first keyboard
    const char* texts;           // "|"-joined, in the order of `actual` below
  };
  const Case cases[] = {
      {0, 2052, "宋体", 9, 11, "拼音字母",
       "简体中文|百度|网页|错误|输出中文标点（键盘）|重置|字符集：|GB18030|英文标点|"
       "单词后自动加空格|语言：|内容|版权所有 (C) 2026|下一步|结果字体"},
      {1, 1033, "Tahoma", 10, 6, "QWERTY",
       "Simplified Chinese|Baidu|Web|Error|Chinese Punctuation (Keyboard)|Reset|"
       "Character set:|GB18030|English punctuation|Insert a space after a word|Language: |"
       "Content|Copyright (C) 2026|Next >|Result Font"},
      {0, 1033, "Tahoma", 10, 6, "英文键盘", nullptr},
      {1, 2052, "宋体", 9, 11, "Pinyin", nullptr},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message()
                 << "MenuLangIndex " << c.menu_lang << ", RecoLangId " << c.reco_lang);
    block->Header.MenuLangIndex = c.menu_lang;
    block->Header.RecoLangId = c.reco_lang;
    ASSERT_EQ(0u, LoadKeyboards(block.Section(), install.c_str()));
    ASSERT_EQ(0u, LoadInterfaceTexts(block.Section(), install.c_str()));
    EXPECT_EQ(c.punc_font, Utf8(block->PuncSymb.Font));
    EXPECT_EQ(c.punc_size, block->PuncSymb.Size);
    EXPECT_EQ(c.keyboards, block->SoftKeyboardTable.Count);
    EXPECT_EQ(c.keyboard_title, Utf8(block->SoftKeyboardTable.Layouts[0].Title));
    if (c.texts == nullptr) continue;
    const PreferenceBlock& b = *block;
    const std::string actual[] = {
        Utf8(b.RecoLangTable.Entries[0].Title),
        Utf8(b.SearchTable.Engines[0].Title),
        Utf8(b.SearchTable.Engines[0].Items[0].Title),
        Utf8(b.ErrorTexts.ERROR_TITLE),
        Utf8(b.MainMenuTexts.ChPun),
        Utf8(b.AdaptManageTexts.Reset),
        Utf8(b.RecoOptionTexts.SetCharSet),
        Utf8(b.RecoOptionTexts.GB18030),
        Utf8(b.RecoOptionTexts.ScCheck[7]),
        Utf8(b.RecoOptionTexts.AutoInsertSpace),
        Utf8(b.DicManageTexts.CurRecoLang),
        Utf8(b.MacroManageTexts.TextContent),
        Utf8(b.TabPagesTexts.Copyright),
        Utf8(b.WizardTexts.NEXT),
        Utf8(b.WizardTexts.Group),
    };
    std::string joined;
    for (const std::string& text : actual) joined += (joined.empty() ? "" : "|") + text;
    EXPECT_EQ(c.texts, joined);
  }
}

// The sample tree is complete: every text row's key and every title key is
// in both interface languages, so no text of the sample falls back to a
// default.
TEST(PreferenceBuilder_Build, SampleTreeHasEveryKeyInBothLanguages) {
  FreshBlock block;
  ASSERT_TRUE(block.Opened());
  TempDir data;
  const WString install = SampleTree();
  BuildPreferences(block.Section(), install.c_str(), InstallDirOf(data).c_str());
  for (const char* folder : {"Simplified Chinese", "English"}) {
    const WString dir = install + TEXT("Menu Lang\\") + test_support::FromUtf8(folder);
    std::vector<std::string> missing;
    auto expect_key = [&](const WString& file, LPCWSTR section, LPCWSTR key) {
      IniFile ini;
      const WString path = dir + TEXT("\\") + file;
      ini.IniOpen(path.c_str(), GENERIC_READ, 0);
      const WCHAR* header = ini.FindSection(section, ini.TextStart(), ini.TextEnd());
      if (ini.FindKey(key, header, ini.TextEnd()) == nullptr) {
        missing.push_back(ToUtf8(file) + " [" + ToUtf8(section) + "] " + ToUtf8(key));
      }
    };
    for (const TextTable* table : kTextTables) {
      for (DWORD r = 0; r < table->RowCount; ++r) {
        expect_key(table->File, table->Rows[r].Section, table->Rows[r].Key);
      }
    }
    for (int langs = 0; langs < 2; ++langs) {
      block->Header.RecoLangId = langs == 0 ? 2052 : 1033;
      LoadKeyboards(block.Section(), install.c_str());
      const SoftKeyboardTableRegion& keyboards = block->SoftKeyboardTable;
      for (DWORD i = 0; i < keyboards.Count; ++i) {
        if (Utf8(keyboards.Layouts[i].Name) == "ID_KB_SEPARATOR") continue;
        expect_key(TEXT("Keyboard.ini"), TEXT("Soft Keyboard"), keyboards.Layouts[i].Name);
      }
    }
    for (DWORD i = 0; i < block->SearchTable.Count; ++i) {
      const SearchEngine& engine = block->SearchTable.Engines[i];
      expect_key(TEXT("Search.ini"), TEXT("SEARCH ENGINE"), engine.Name);
      for (DWORD j = 0; j < engine.Count; ++j) {
        expect_key(TEXT("Search.ini"), engine.Name, engine.Items[j].Name);
      }
    }
    for (DWORD i = 0; i < block->RecoLangTable.Count; ++i) {
      expect_key(TEXT("Lang.ini"), TEXT("RECO LANG"), block->RecoLangTable.Entries[i].Id);
    }
    std::string list;
    for (const std::string& m : missing) list += "\n  " + m;
    EXPECT_TRUE(missing.empty()) << folder << " lacks:" << list;
  }
}

TEST(PreferenceBuilder_Build, EmptyTreeGivesEveryDefault) {
  FreshBlock block;
  ASSERT_TRUE(block.Opened());
  TempDir install_dir, data;
  const WString install = InstallDirOf(install_dir);
  const WString data_dir = InstallDirOf(data);
  // Every interface language is empty, so any MenuLangIndex from the locale
  // names an empty DIR: the texts come from "Menu Lang\" itself.
  EXPECT_EQ(0u, BuildPreferences(block.Section(), install.c_str(), data_dir.c_str()));
  const PreferenceBlock& b = *block;

  EXPECT_EQ(5u, b.MenuLangTable.Count);
  EXPECT_EQ("RecognizeLanguage01", Utf8(b.RecoLangTable.Entries[1].Title));
  EXPECT_EQ(1, b.RecoLangTable.Entries[1].ImageNum);
  EXPECT_EQ(10u, b.SearchTable.Count);
  EXPECT_EQ(10u, b.SearchTable.Engines[9].Count);
  EXPECT_EQ("Engine", Utf8(b.SearchTable.Engines[9].Title));
  EXPECT_EQ("Catalog", Utf8(b.SearchTable.Engines[9].Items[9].Title));
  EXPECT_EQ(0u, b.SkinTable.Count);
  EXPECT_EQ(ToUtf8(install) + "Skin\\BG.bmp", Utf8(b.GestureImage.Path));
  EXPECT_EQ("Times New Roman", Utf8(b.PuncSymb.Font));
  EXPECT_EQ(10u, b.PuncSymb.Size);
  EXPECT_EQ("()[]{}/\\|*'\"-_`^~;:?!·,.", Utf8(b.PuncSymb.Char));
  EXPECT_EQ("`()'\"-_~;:?!·,.", Utf8(b.PuncSymb.MinChar));
  EXPECT_EQ("MingLiU", Utf8(b.SoftKeyboardTable.Font));
  EXPECT_EQ(16u, b.SoftKeyboardTable.Size);
  EXPECT_EQ(15u, b.SoftKeyboardTable.Count);
  EXPECT_EQ("Layout0E", Utf8(b.SoftKeyboardTable.Layouts[14].Title));
  EXPECT_EQ("ERROR", Utf8(b.ErrorTexts.ERROR_TITLE));
  EXPECT_EQ("DATA_EXIST", Utf8(b.ErrorTexts.Messages[4]));
  EXPECT_EQ("UI Language", Utf8(b.MainMenuTexts.MenuLang));
  EXPECT_EQ("Output Chinese Punctuation (Key", Utf8(b.MainMenuTexts.ChPun));
  EXPECT_EQ("Help\u2026", Utf8(b.MainMenuTexts.Help));
  EXPECT_TRUE(AllZero(b.MainMenuTexts.Unused1216, sizeof(b.MainMenuTexts.Unused1216)));
  EXPECT_TRUE(AllZero(b.MainMenuTexts.Reserved1664, sizeof(b.MainMenuTexts.Reserved1664)));
  EXPECT_TRUE(AllZero(&b.MacroManageTexts, sizeof(b.MacroManageTexts)));
  EXPECT_TRUE(AllZero(&b.RecoOptionTexts, sizeof(b.RecoOptionTexts)));
  EXPECT_EQ("Language: ", Utf8(b.DicManageTexts.CurRecoLang));
  EXPECT_EQ("FontSize", Utf8(b.WizardTexts.Size));
}

TEST(PreferenceBuilder_InterfaceTexts, IndexOutsideTheTableLoadsNoText) {
  TempDir install_dir;
  const WString install = InstallDirOf(install_dir);
  WriteIni(install_dir / TEXT("Menu Lang\\Config.ini"), "[LANGUAGE]\n01=ENU\n[ENU]\nDIR=English\n");
  WriteIni(install_dir / TEXT("Menu Lang\\English\\Common.ini"), "[MAIN MENU]\nMenuLang=Menu\n");
  for (LONG index : {-1, 1, 5}) {
    FreshBlock block;
    ASSERT_TRUE(block.Opened());
    LoadMenuLanguages(&block->MenuLangTable, (install + TEXT("Menu Lang")).c_str());
    ASSERT_EQ(1u, block->MenuLangTable.Count);
    block->Header.MenuLangIndex = index;
    EXPECT_EQ(kBuildNoEntry, LoadInterfaceTexts(block.Section(), install.c_str())) << index;
    EXPECT_TRUE(AllZero(&block->MainMenuTexts, sizeof(block->MainMenuTexts))) << index;
    block->Header.MenuLangIndex = 0;
    EXPECT_EQ(0u, LoadInterfaceTexts(block.Section(), install.c_str()));
    EXPECT_EQ("Menu", Utf8(block->MainMenuTexts.MenuLang));
  }
}

TEST(PreferenceBuilder_InterfaceTexts, EmptyDirReadsTheMenuLangFolderItself) {
  TempDir install_dir;
  const WString install = InstallDirOf(install_dir);
  WriteIni(install_dir / TEXT("Menu Lang\\Config.ini"), "[LANGUAGE]\n01=X\n[X]\nNAME=No folder\n");
  WriteIni(install_dir / TEXT("Menu Lang\\Common.ini"), "[MAIN MENU]\nMenuLang=Here\n");
  FreshBlock block;
  ASSERT_TRUE(block.Opened());
  LoadMenuLanguages(&block->MenuLangTable, (install + TEXT("Menu Lang")).c_str());
  EXPECT_EQ("", Utf8(block->MenuLangTable.Entries[0].DIR));
  EXPECT_EQ(0u, LoadInterfaceTexts(block.Section(), install.c_str()));
  EXPECT_EQ("Here", Utf8(block->MainMenuTexts.MenuLang));
}

TEST(PreferenceBuilder_Keyboards, UnknownRecognitionLanguageWritesNoKeyboard) {
  FreshBlock block;
  ASSERT_TRUE(block.Opened());
  const WString install = SampleTree();
  LoadRecoLanguages(&block->RecoLangTable, install.c_str());
  // 1028 matches nothing; 2052 in the low half with an upper half matches.
  block->Header.RecoLangId = 1028;
  EXPECT_EQ(kBuildNoEntry, LoadKeyboards(block.Section(), install.c_str()));
  EXPECT_TRUE(AllZero(&block->PuncSymb, sizeof(block->PuncSymb)));
  EXPECT_TRUE(AllZero(&block->SoftKeyboardTable, sizeof(block->SoftKeyboardTable)));
  block->Header.RecoLangId = 0x10000 | 2052;
  EXPECT_EQ(0u, LoadKeyboards(block.Section(), install.c_str()));
  EXPECT_EQ(11u, block->SoftKeyboardTable.Count);
}

TEST(PreferenceBuilder_Build, NoViewBuildsNothing) {
  PreferenceSection unopened;
  const WCHAR dir[] = TEXT("\\nowhere\\");
  EXPECT_EQ(kBuildNoEntry, BuildPreferences(&unopened, dir, dir));
  EXPECT_EQ(kBuildNoEntry, BuildPreferences(nullptr, dir, dir));
  EXPECT_EQ(kBuildNoEntry, LoadInterfaceTexts(&unopened, dir));
  EXPECT_EQ(kBuildNoEntry, LoadKeyboards(nullptr, dir));
}

}  // namespace
