// The builder as a whole: the sample installation tree, a tree without files
// or without a block, and the interface language index.
#include "builder/preference_builder.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <utility>

#include "builder/loaders.h"
#include "tests/builder/builder_test_util.h"

namespace builder_test {
namespace {

TEST(PreferenceBuilder_Build, SampleTree) {
  FreshBlock block;
  ASSERT_TRUE(block.opened);
  // The sample tree is built beside the test program, where the tool finds
  // its own installation.
  WCHAR install[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, install, MAX_PATH);
  DirectoryOfPath(install, install);
  TempDir data;
  EXPECT_EQ(0u, BuildPreferences(&block, install, InstallDirOf(data).c_str()));
  const PreferenceBlock& b = *block;
  // Reloaded for the Chinese interface, whatever the locale chose. One value
  // of each installation list, then the texts: a keyboard's title, the titles
  // of a language, an engine and its catalogue, and the first slot of each
  // text table.
  block->Header.MenuLangIndex = 0;
  block->Header.RecoLangId = 2052;
  ASSERT_EQ(0u, LoadKeyboards(&block, install));
  ASSERT_EQ(0u, LoadInterfaceTexts(&block, install));
  std::ostringstream s;
  s << Utf8(b.MenuLangTable.Entries[1].DIR) << '|' << Utf8(b.RecoLangTable.Entries[1].ImageFile)
    << '|' << b.SearchTable.Engines[3].TYPE << ' ' << Utf8(b.SearchTable.Engines[3].Items[1].URL)
    << '|' << Utf8(b.SkinTable.Skins[1].TOOLBAR) << ' ' << Utf8(b.GestureImage.Path) << '|'
    << Utf8(b.SoftKeyboardTable.Layouts[0].Title) << '|' << Utf8(b.RecoLangTable.Entries[0].Title)
    << '|' << Utf8(b.SearchTable.Engines[0].Title) << '|'
    << Utf8(b.SearchTable.Engines[0].Items[0].Title);
  for (const TextTable* table : kTextTables) s << '|' << SlotText(b, *table, table->Rows[0]);
  const std::string root = ToUtf8(install);
  EXPECT_EQ("English|Sample_EN.bmp|2 https://en.wiktionary.org/w/index.php?search=%s|" + root +
                "Skin\\Blue\\Toolbar.bmp " + root +
                "Skin\\Gesture.bmp|拼音字母|简体中文|百度|网页|错误|界面语言|自学习管理|字符集：|"
                "词库管理|宏管理|系统设置|设置向导",
            s.str());
}

// Without files the lists that end at an empty key run on to their caps
// with empty names (a read of no file is not 0 characters); the titles and
// the punctuation record take their defaults. Without a view nothing is
// built.
TEST(PreferenceBuilder_Build, TreeWithoutFilesOrBlock) {
  FreshBlock block;
  ASSERT_TRUE(block.opened);
  TempDir install_dir, data;
  const WString install = InstallDirOf(install_dir);
  EXPECT_EQ(0u, BuildPreferences(&block, install.c_str(), InstallDirOf(data).c_str()));
  const PreferenceBlock& b = *block;
  std::ostringstream s;
  s << b.MenuLangTable.Count << '|' << b.SearchTable.Count << ' ' << b.SearchTable.Engines[9].Count
    << ' ' << Utf8(b.SearchTable.Engines[9].Title) << ' '
    << Utf8(b.SearchTable.Engines[9].Items[9].Title) << '|' << Utf8(b.PuncSymb.Font) << ' '
    << b.PuncSymb.Size << ' ' << Utf8(b.PuncSymb.Char) << ' ' << Utf8(b.PuncSymb.MinChar) << '|'
    << Utf8(b.SoftKeyboardTable.Font) << ' ' << b.SoftKeyboardTable.Size << ' '
    << b.SoftKeyboardTable.Count << ' ' << Utf8(b.SoftKeyboardTable.Layouts[14].Title);
  EXPECT_EQ(
      "5|10 10 Engine Catalog|Times New Roman 10 ()[]{}/\\|*'\"-_`^~;:?!·,. "
      "`()'\"-_~;:?!·,.|MingLiU 16 15 Layout0E",
      s.str());
  PreferenceSection unopened;
  EXPECT_EQ(kBuildNoEntry, BuildPreferences(&unopened, install.c_str(), install.c_str()));
  EXPECT_EQ(kBuildNoEntry, LoadInterfaceTexts(&unopened, install.c_str()));
  EXPECT_EQ(kBuildNoEntry, LoadKeyboards(nullptr, install.c_str()));
}

TEST(PreferenceBuilder_InterfaceTexts, IndexOutsideTheTableLoadsNoText) {
  TempDir dir;
  const WString install = InstallDirOf(dir);
  WriteTree(dir,
            ">Menu Lang\\Config.ini\n[LANGUAGE]\n01=ENU\n02=X\n[ENU]\nDIR=English\n"
            ">Menu Lang\\English\\Common.ini\n[MAIN MENU]\nMenuLang=Menu\n"
            ">Menu Lang\\Common.ini\n[MAIN MENU]\nMenuLang=Here\n");
  // Result:MenuLang text,a recognition language's title (its folder until
  // the titles are read) at each index, with the table's count; a count
  // from the block is not trusted past the table, and an empty DIR reads
  // "Menu Lang\" itself.
  FreshBlock block;
  ASSERT_TRUE(block.opened);
  LoadMenuLanguages(&block->MenuLangTable, (install + TEXT("Menu Lang")).c_str());
  LoadRecoLanguages(&block->RecoLangTable, install.c_str());
  std::string actual;
  for (const auto& [index, count] : {std::pair{-1, 2}, {2, 2}, {5, 7}, {0, 2}, {1, 2}}) {
    block->MenuLangTable.Count = count;
    block->Header.MenuLangIndex = index;
    actual += std::to_string(LoadInterfaceTexts(&block, install.c_str()));
    actual += ":" + Utf8(block->MainMenuTexts.MenuLang) + "," +
              Utf8(block->RecoLangTable.Entries[1].Title) + " ";
  }
  EXPECT_EQ(
      "13:,English 13:,English 13:,English 0:Menu,RecognizeLanguage01 0:Here,RecognizeLanguage01 ",
      actual);
}

}  // namespace
}  // namespace builder_test
