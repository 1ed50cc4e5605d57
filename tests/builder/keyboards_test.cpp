// Soft keyboards: the letter list's stops, skips, separators and cap, the
// titles numbered over keyboards only, the punctuation size limit, and the
// recognition language that picks the file.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "builder/loaders.h"
#include "tests/builder/builder_test_util.h"

namespace builder_test {
namespace {

// The English recognition language's Keyboard.ini: "Soft Keyboard" with
// `lines`, sections for the lists to name ("nokey1" has no first row), and
// "PUNCSYMB" with `punc`.
std::string Keyboards(const std::string& lines, const std::string& punc = "Size=9\n") {
  return ">Reco Lang\\English\\Keyboard.ini\n[Soft Keyboard]\n" + lines +
         "[kb1]\n1=a\n2=b\n3=c\n4=d\n[kb2]\n1=e\n[kb3]\n1=f\n[nokey1]\n2=x\n[PUNCSYMB]\nChar=,.\n" +
         punc;
}

// Loads the keyboards with RecoLangId `reco_lang` into a block whose table
// had Reserved 7 and stale records, then their titles from "ui"; describes
// the result, the punctuation record, the table ("+stale" when a slot past
// its records is not zero) and its records: Name=Text1,Text2,Text3,
// Text4:Title of each, a separator's name alone.
template <size_t N>
void ExpectKeyboards(DWORD reco_lang, const Row (&rows)[N]) {
  DWORD result = 0;
  auto load = [&](FreshBlock& b, const WString& dir) {
    LoadRecoLanguages(&b->RecoLangTable, dir.c_str());
    b->Header.RecoLangId = reco_lang;
    b->SoftKeyboardTable.Reserved = 7;
    std::memset(b->SoftKeyboardTable.Layouts, 0x5A, sizeof(b->SoftKeyboardTable.Layouts));
    result = LoadKeyboards(&b, dir.c_str());
    LoadKeyboardTitles(&b->SoftKeyboardTable, (dir + TEXT("ui")).c_str());
  };
  ExpectRows(rows, load, [&](const PreferenceBlock& b) {
    const PuncSymbRegion& p = b.PuncSymb;
    const SoftKeyboardTableRegion& t = b.SoftKeyboardTable;
    const DWORD used = t.Count < kMaxSoftKeyboards ? t.Count : kMaxSoftKeyboards;
    const bool stale =
        !AllZero(t.Layouts + used, (kMaxSoftKeyboards - used) * sizeof(t.Layouts[0]));
    return std::to_string(result) + "|" + std::to_string(p.Size) + " " + Utf8(p.Char) + " " +
           Utf8(p.Font) + (AllZero(p.MinChar, sizeof(p.MinChar)) ? " no MinChar" : "") + "|" +
           std::to_string(t.Reserved) + " " + Utf8(t.Font) + " " + std::to_string(t.Size) +
           (stale ? " +stale" : "") + "|" + Join(t.Count, kMaxSoftKeyboards, [&](DWORD i) {
             const SoftKeyboardLayout& k = t.Layouts[i];
             const std::string texts = Utf8(k.Text1) + "," + Utf8(k.Text2) + "," + Utf8(k.Text3) +
                                       "," + Utf8(k.Text4) + ":" + Utf8(k.Title);
             return Utf8(k.Name) + (texts == ",,,:" ? "" : "=" + texts);
           });
  });
}

// The first missing letter ends the list, a keyboard without a first row is
// skipped, a separator (in any case) has no title and takes no number. The
// punctuation size is compared unsigned and capped at 10; the keyboard font
// and size are read as they are. The low half of RecoLangId picks the
// recognition language; without a match nothing is written.
TEST(Keyboards_Load, LettersTitlesPunctuationAndLanguage) {
  std::string sixteen, fifteen;
  for (char letter = 'A'; letter <= 'P'; ++letter) sixteen += std::string(1, letter) + "=kb2\n";
  for (char n : std::string("0123456789ABCDE")) fifteen += "|kb2=e,,,:Layout0" + std::string(1, n);
  const std::string plain = "0|9 ,. Times New Roman|0 MingLiU 16|";
  const Row rows[] = {
      {Keyboards("A=kb1\nB=nokey1\nC=kb2\nE=kb3\n"),
       plain + "kb1=a,b,c,d:Layout00|kb2=e,,,:Layout01"},
      {Keyboards(sixteen), plain + fifteen.substr(1)},
      {Keyboards("A=ID_KB_SEPARATOR\nB=kb1\nC=id_kb_separator\nD=kb2\nE=kb3\n") +
           ">ui\\Keyboard.ini\n[Soft Keyboard]\nkb3=Third\nkb9=Unused\n",
       plain +
           "ID_KB_SEPARATOR|kb1=a,b,c,d:Layout00|id_kb_separator|kb2=e,,,:Layout01|kb3=f,,,:Third"},
      {Keyboards("Size=9\nFont=Tahoma\nA=kb2\n", "Size=0\nFont=Tahoma\n"),
       "0|0 ,. Tahoma|0 Tahoma 9|kb2=e,,,:Layout00"},
      {Keyboards("Size=-5\nA=kb2\n", "Size=-5\n"),
       "0|10 ,. Times New Roman|0 MingLiU 4294967291|kb2=e,,,:Layout00"},
  };
  ExpectKeyboards(0x10000 | 1033, rows);
  const Row no_match[] = {{Keyboards("A=kb2\n"), "13|0   no MinChar|7  0 +stale|"}};
  ExpectKeyboards(1028, no_match);
}

}  // namespace
}  // namespace builder_test
