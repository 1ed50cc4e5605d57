// The builder as a whole: the sample installation tree in both interface
// and recognition languages, an empty tree (every default), the interface
// language index, and the calls that find no block.
#include "builder/preference_builder.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "builder/loaders.h"
#include "builder/text_tables.h"
#include "tests/builder/builder_test_util.h"

namespace builder_test {
namespace {

// The sample tree is built beside the test program, where the tool finds
// its own installation.
WString SampleTree() {
  WCHAR path[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, path, MAX_PATH);
  DirectoryOfPath(path, path);
  return path;
}

TEST(PreferenceBuilder_Build, SampleTree) {
  FreshBlock block;
  ASSERT_TRUE(block.Opened());
  TempDir data;
  const WString install = SampleTree();
  EXPECT_EQ(0u, BuildPreferences(block.Section(), install.c_str(), InstallDirOf(data).c_str()));
  const PreferenceBlock& b = *block;
  EXPECT_EQ(GetUserDefaultLangID() == 2052 ? 0 : 1, b.Header.MenuLangIndex);
  std::ostringstream s;
  s << b.MenuLangTable.Count << ' ' << Utf8(b.MenuLangTable.Entries[1].DIR) << '|'
    << b.RecoLangTable.Count << ' ' << b.RecoLangTable.Entries[0].ImageNum << ' '
    << Utf8(b.RecoLangTable.Entries[1].ImageFile) << '|' << b.SearchTable.Count << ' '
    << b.SearchTable.Engines[0].Count << ' ' << b.SearchTable.Engines[3].TYPE << ' '
    << Utf8(b.SearchTable.Engines[3].Items[1].URL) << '|' << b.SkinTable.Count << ' '
    << b.SkinTable.Skins[2].SIZE << ' ' << Utf8(b.SkinTable.Skins[1].TOOLBAR) << ' '
    << Utf8(b.GestureImage.Path);
  const std::string root = ToUtf8(install);
  EXPECT_EQ(
      "2 English|2 4 Sample_EN.bmp|4 5 2 https://en.wiktionary.org/w/index.php?search=%s|3 480 " +
          root + "Skin\\Blue\\Toolbar.bmp " + root + "Skin\\Gesture.bmp",
      s.str());

  // Both recognition languages with both interface languages, whatever the
  // locale chose for the build; the texts follow the interface language.
  const char* const texts[] = {
      "简体中文|百度|网页|错误|输出中文标点（键盘）|重置|字符集：|GB18030|英文标点|"
      "单词后自动加空格|语言：|内容|版权所有 (C) 2026|下一步|结果字体",
      "Simplified Chinese|Baidu|Web|Error|Chinese Punctuation (Keyboard)|Reset|Charset:|"
      "GB18030|English punc.|Insert a space after a word|Language: |Content|"
      "Copyright (C) 2026|Next >|Result Font"};
  struct Case {
    LONG menu_lang;
    DWORD reco_lang;
    const char* keyboards;  // punctuation Font Size, keyboard count, first keyboard's title
  };
  const Case cases[] = {{0, 2052, "宋体 9 11 拼音字母"},
                        {1, 1033, "Tahoma 10 6 QWERTY"},
                        {0, 1033, "Tahoma 10 6 英文键盘"},
                        {1, 2052, "宋体 9 11 Pinyin"}};
  for (const Case& c : cases) {
    block->Header.MenuLangIndex = c.menu_lang;
    block->Header.RecoLangId = c.reco_lang;
    ASSERT_EQ(0u, LoadKeyboards(block.Section(), install.c_str()));
    ASSERT_EQ(0u, LoadInterfaceTexts(block.Section(), install.c_str()));
    std::ostringstream s;
    s << Utf8(b.PuncSymb.Font) << ' ' << b.PuncSymb.Size << ' ' << b.SoftKeyboardTable.Count << ' '
      << Utf8(b.SoftKeyboardTable.Layouts[0].Title);
    for (const std::string& text :
         {Utf8(b.RecoLangTable.Entries[0].Title), Utf8(b.SearchTable.Engines[0].Title),
          Utf8(b.SearchTable.Engines[0].Items[0].Title), Utf8(b.ErrorTexts.ERROR_TITLE),
          Utf8(b.MainMenuTexts.ChPun), Utf8(b.AdaptManageTexts.Reset),
          Utf8(b.RecoOptionTexts.SetCharSet), Utf8(b.RecoOptionTexts.GB18030),
          Utf8(b.RecoOptionTexts.ScCheck[7]), Utf8(b.RecoOptionTexts.AutoInsertSpace),
          Utf8(b.DicManageTexts.CurRecoLang), Utf8(b.MacroManageTexts.TextContent),
          Utf8(b.TabPagesTexts.Copyright), Utf8(b.WizardTexts.NEXT), Utf8(b.WizardTexts.Group)}) {
      s << '|' << text;
    }
    EXPECT_EQ(std::string(c.keyboards) + "|" + texts[c.menu_lang], s.str())
        << "MenuLangIndex " << c.menu_lang << ", RecoLangId " << c.reco_lang;

    // The sample is complete: no title is a numbered or fixed default, and
    // every text key is there (read with a default no file holds).
    std::string titles = "|", missing;
    const SoftKeyboardTableRegion& keyboards = b.SoftKeyboardTable;
    for (DWORD i = 0; i < keyboards.Count; ++i) titles += Utf8(keyboards.Layouts[i].Title) + "|";
    for (DWORD i = 0; i < b.RecoLangTable.Count; ++i) {
      titles += Utf8(b.RecoLangTable.Entries[i].Title) + "|";
    }
    for (const SearchEngine& e : b.SearchTable.Engines) {
      titles += Utf8(e.Title) + "|";
      for (DWORD j = 0; j < e.Count; ++j) titles += Utf8(e.Items[j].Title) + "|";
    }
    for (const char* fallback : {"|Layout", "|RecognizeLanguage", "|Engine|", "|Catalog|"}) {
      if (titles.find(fallback) != std::string::npos) missing += std::string(" ") + fallback;
    }
    const WString folder = install + TEXT("Menu Lang\\") + b.MenuLangTable.Entries[c.menu_lang].DIR;
    for (const TextTable* table : kTextTables) {
      std::vector<TextRow> rows(table->Rows, table->Rows + table->RowCount);
      for (TextRow& row : rows) row.Default = TEXT("\x01");
      TextTable probe = *table;
      probe.Rows = rows.data();
      std::vector<WCHAR> region(table->Size / sizeof(WCHAR));
      LoadTextTable(probe, region.data(), folder.c_str());
      for (const TextRow& row : rows) {
        if (region[row.Slot / sizeof(WCHAR)] == 1)
          missing += " " + ToUtf8(row.Section) + "/" + ToUtf8(row.Key);
      }
    }
    EXPECT_EQ("", missing) << "MenuLangIndex " << c.menu_lang << ", titles " << titles;
  }
}

TEST(PreferenceBuilder_Build, EmptyTreeGivesEveryDefault) {
  FreshBlock block;
  ASSERT_TRUE(block.Opened());
  TempDir install_dir, data;
  const WString install = InstallDirOf(install_dir);
  // Every interface language is empty, so any MenuLangIndex from the locale
  // names an empty DIR: the texts come from "Menu Lang\" itself.
  EXPECT_EQ(0u, BuildPreferences(block.Section(), install.c_str(), InstallDirOf(data).c_str()));
  const PreferenceBlock& b = *block;
  std::ostringstream s;
  s << b.MenuLangTable.Count << '|' << Utf8(b.RecoLangTable.Entries[1].Title) << ' '
    << b.RecoLangTable.Entries[1].ImageNum << '|' << b.SearchTable.Count << ' '
    << b.SearchTable.Engines[9].Count << ' ' << Utf8(b.SearchTable.Engines[9].Title) << ' '
    << Utf8(b.SearchTable.Engines[9].Items[9].Title) << '|' << b.SkinTable.Count << ' '
    << Utf8(b.GestureImage.Path) << '|' << Utf8(b.PuncSymb.Font) << ' ' << b.PuncSymb.Size << ' '
    << Utf8(b.PuncSymb.Char) << ' ' << Utf8(b.PuncSymb.MinChar) << '|'
    << Utf8(b.SoftKeyboardTable.Font) << ' ' << b.SoftKeyboardTable.Size << ' '
    << b.SoftKeyboardTable.Count << ' ' << Utf8(b.SoftKeyboardTable.Layouts[14].Title) << '|'
    << Utf8(b.ErrorTexts.ERROR_TITLE) << '|' << Utf8(b.ErrorTexts.Messages[4]) << '|'
    << Utf8(b.MainMenuTexts.MenuLang) << '|' << Utf8(b.MainMenuTexts.ChPun) << '|'
    << Utf8(b.MainMenuTexts.Help) << '|' << Utf8(b.DicManageTexts.CurRecoLang) << '|'
    << Utf8(b.WizardTexts.Size);
  EXPECT_EQ("5|RecognizeLanguage01 1|10 10 Engine Catalog|0 " + ToUtf8(install) +
                "Skin\\BG.bmp|Times New Roman 10 ()[]{}/\\|*'\"-_`^~;:?!·,. `()'\"-_~;:?!·,.|"
                "MingLiU 16 15 Layout0E|ERROR|DATA_EXIST|UI Language|"
                "Output Chinese Punctuation (Key|Help\u2026|Language: |FontSize",
            s.str());
  EXPECT_TRUE(AllZero(b.MainMenuTexts.Unused1216, sizeof(b.MainMenuTexts.Unused1216)) &&
              AllZero(b.MainMenuTexts.Reserved1664, sizeof(b.MainMenuTexts.Reserved1664)) &&
              AllZero(&b.MacroManageTexts, sizeof(b.MacroManageTexts)) &&
              AllZero(&b.RecoOptionTexts, sizeof(b.RecoOptionTexts)));
}

TEST(PreferenceBuilder_InterfaceTexts, IndexOutsideTheTableLoadsNoText) {
  TempDir dir;
  const WString install = InstallDirOf(dir);
  WriteTree(dir,
            ">Menu Lang\\Config.ini\n[LANGUAGE]\n01=ENU\n02=X\n[ENU]\nDIR=English\n[X]\nNAME=No "
            "folder\n>Menu Lang\\English\\Common.ini\n[MAIN MENU]\nMenuLang=Menu\n"
            ">Menu Lang\\Common.ini\n[MAIN MENU]\nMenuLang=Here\n");
  // Result:MenuLang text at each index, with the table's count; a count
  // from the block is not trusted past the table, and an empty DIR reads
  // "Menu Lang\" itself.
  std::string actual;
  for (const auto& [index, count] : {std::pair{-1, 2}, {2, 2}, {5, 7}, {0, 2}, {1, 2}}) {
    FreshBlock block;
    ASSERT_TRUE(block.Opened());
    LoadMenuLanguages(&block->MenuLangTable, (install + TEXT("Menu Lang")).c_str());
    block->MenuLangTable.Count = count;
    block->Header.MenuLangIndex = index;
    actual += std::to_string(LoadInterfaceTexts(block.Section(), install.c_str()));
    actual += ":" + Utf8(block->MainMenuTexts.MenuLang) +
              (AllZero(&block->MainMenuTexts, sizeof(block->MainMenuTexts)) ? " " : "* ");
  }
  EXPECT_EQ("13: 13: 13: 0:Menu* 0:Here* ", actual);
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
}  // namespace builder_test
