// The builder as a whole: the sample installation tree in both interface
// and recognition languages, a tree without files, the interface language
// index, and the calls that find no block.
#include "builder/preference_builder.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <utility>

#include "builder/loaders.h"
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
  // locale chose for the build; the texts, one of each table, follow the
  // interface language.
  const char* const texts[] = {
      "简体中文|百度|网页|错误|输出中文标点（键盘）|重置|字符集：|语言：|内容|版权所有 (C) "
      "2026|下一步",
      "Simplified Chinese|Baidu|Web|Error|Chinese Punctuation (Keyboard)|Reset|Charset:|"
      "Language: |Content|Copyright (C) 2026|Next >"};
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
          Utf8(b.RecoOptionTexts.SetCharSet), Utf8(b.DicManageTexts.CurRecoLang),
          Utf8(b.MacroManageTexts.TextContent), Utf8(b.TabPagesTexts.Copyright),
          Utf8(b.WizardTexts.NEXT)}) {
      s << '|' << text;
    }
    EXPECT_EQ(std::string(c.keyboards) + "|" + texts[c.menu_lang], s.str())
        << "MenuLangIndex " << c.menu_lang << ", RecoLangId " << c.reco_lang;
  }
}

// Without files the lists that end at an empty key run on to their caps
// with empty names (a read of no file is not 0 characters), while the skin
// list stops; every text is its default, as the text tables' own test shows.
TEST(PreferenceBuilder_Build, TreeWithoutFiles) {
  FreshBlock block;
  ASSERT_TRUE(block.Opened());
  TempDir install_dir, data;
  const WString install = InstallDirOf(install_dir);
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
    << Utf8(b.WizardTexts.Size);
  EXPECT_EQ("5|RecognizeLanguage01 1|10 10 Engine Catalog|0 " + ToUtf8(install) +
                "Skin\\BG.bmp|Times New Roman 10 ()[]{}/\\|*'\"-_`^~;:?!·,. `()'\"-_~;:?!·,.|"
                "MingLiU 16 15 Layout0E|FontSize",
            s.str());
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
