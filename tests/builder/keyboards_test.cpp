// Soft keyboards: the letter list's stops, skips, separators and cap; the
// punctuation size limit; the titles numbered over keyboards only.
#include <gtest/gtest.h>

#include <string>

#include "builder/loaders.h"
#include "tests/builder/builder_test_util.h"

using builder_test::FreshBlock;
using builder_test::InstallDirOf;
using builder_test::Utf8;
using builder_test::WriteIni;
using test_support::TempDir;
using test_support::WString;

namespace {

// A tree whose English recognition language has `keyboard_ini`, and a
// block whose current recognition language is English.
class KeyboardTree {
 public:
  explicit KeyboardTree(const std::string& keyboard_ini) : install_(InstallDirOf(dir_)) {
    WriteIni(dir_ / TEXT("Reco Lang\\English\\Keyboard.ini"), keyboard_ini);
    LoadRecoLanguages(&block_->RecoLangTable, install_.c_str());
    block_->Header.RecoLangId = 1033;
  }
  DWORD Load() { return LoadKeyboards(block_.Section(), install_.c_str()); }
  const SoftKeyboardTableRegion& Table() { return block_->SoftKeyboardTable; }
  SoftKeyboardTableRegion* MutableTable() { return &block_->SoftKeyboardTable; }
  const PuncSymbRegion& Punc() { return block_->PuncSymb; }
  const TempDir& Dir() const { return dir_; }
  // Names of the stored records, "|"-joined.
  std::string Names() {
    std::string names;
    for (DWORD i = 0; i < Table().Count && i < kMaxSoftKeyboards; ++i) {
      names += (i == 0 ? "" : "|") + Utf8(Table().Layouts[i].Name);
    }
    return names;
  }

 private:
  TempDir dir_;
  WString install_;
  FreshBlock block_;
};

const char kSections[] = "[kb1]\n1=a\n2=b\n3=c\n4=d\n[kb2]\n1=e\n[kb3]\n1=f\n[nokey1]\n2=x\n";

TEST(Keyboards_Layouts, LetterListStopsSkipsAndCaps) {
  std::string sixteen = "[Soft Keyboard]\n";
  for (char letter = 'A'; letter <= 'P'; ++letter) sixteen += std::string(1, letter) + "=kb1\n";
  struct Case {
    std::string soft_keyboard;
    const char* names;
  };
  const Case cases[] = {
      /* 0 */ {"[Soft Keyboard]\nA=kb1\nB=kb2\nD=kb3\n", "kb1|kb2"},
      /* 1 */ {"[Soft Keyboard]\nA=ID_KB_SEPARATOR\nB=kb1\n", "ID_KB_SEPARATOR|kb1"},
      /* 2 */ {"[Soft Keyboard]\nA=nokey1\nB=kb2\n", "kb2"},
      /* 3 */ {"[Soft Keyboard]\nA=missing\nB=id_kb_separator\nC=kb3\n", "id_kb_separator|kb3"},
      /* 4 */ {"[Soft Keyboard]\nB=kb1\n", ""},
      /* 5 */
      {sixteen, "kb1|kb1|kb1|kb1|kb1|kb1|kb1|kb1|kb1|kb1|kb1|kb1|kb1|kb1|kb1"},
  };
  for (size_t i = 0; i < sizeof(cases) / sizeof(cases[0]); ++i) {
    KeyboardTree tree(cases[i].soft_keyboard + kSections);
    ASSERT_EQ(0u, tree.Load()) << "row " << i;
    EXPECT_EQ(cases[i].names, tree.Names()) << "row " << i << ": " << cases[i].soft_keyboard;
  }
}

TEST(Keyboards_Layouts, RecordTexts) {
  KeyboardTree tree(std::string("[Soft Keyboard]\nFont=Tahoma\nSize=20\nA=kb1\nB=ID_KB_SEPARATOR\n"
                                "C=kb2\n") +
                    kSections);
  ASSERT_EQ(0u, tree.Load());
  const SoftKeyboardTableRegion& t = tree.Table();
  EXPECT_EQ("Tahoma", Utf8(t.Font));
  EXPECT_EQ(20u, t.Size);
  EXPECT_EQ(0u, t.Reserved);
  EXPECT_EQ("a|b|c|d", Utf8(t.Layouts[0].Text1) + "|" + Utf8(t.Layouts[0].Text2) + "|" +
                           Utf8(t.Layouts[0].Text3) + "|" + Utf8(t.Layouts[0].Text4));
  EXPECT_EQ("", Utf8(t.Layouts[1].Text1));
  EXPECT_EQ("e", Utf8(t.Layouts[2].Text1));
  EXPECT_EQ("", Utf8(t.Layouts[2].Text2));
  EXPECT_EQ("", Utf8(t.Layouts[0].Title));  // titles come later
}

TEST(Keyboards_Punctuation, SizeIsCappedUnsigned) {
  struct Case {
    const char* size_line;
    DWORD stored;
  };
  const Case cases[] = {
      {"Size=12\n", 10}, {"Size=8\n", 8},   {"", 10},        {"Size=10\n", 10},
      {"Size=9\n", 9},   {"Size=-5\n", 10}, {"Size=0\n", 0},
  };
  for (const Case& c : cases) {
    KeyboardTree tree(std::string("[PUNCSYMB]\nChar=,.\n") + c.size_line);
    ASSERT_EQ(0u, tree.Load());
    EXPECT_EQ(c.stored, tree.Punc().Size) << c.size_line;
    EXPECT_EQ(",.", Utf8(tree.Punc().Char));
    EXPECT_EQ("Times New Roman", Utf8(tree.Punc().Font));
  }
}

TEST(Keyboards_Titles, CountKeyboardsOnly) {
  KeyboardTree tree(std::string("[Soft Keyboard]\nA=ID_KB_SEPARATOR\nB=kb1\nC=ID_KB_SEPARATOR\n"
                                "D=kb2\nE=kb3\n") +
                    kSections);
  ASSERT_EQ(0u, tree.Load());
  WriteIni(tree.Dir() / TEXT("ui\\Keyboard.ini"), "[Soft Keyboard]\nkb3=Third\nkb9=Unused\n");
  LoadKeyboardTitles(tree.MutableTable(), (tree.Dir() / TEXT("ui")).c_str());
  std::string titles;
  for (DWORD i = 0; i < tree.Table().Count; ++i) {
    titles += (i == 0 ? "" : "|") + Utf8(tree.Table().Layouts[i].Title);
  }
  EXPECT_EQ("|Layout00||Layout01|Third", titles);
}

}  // namespace
