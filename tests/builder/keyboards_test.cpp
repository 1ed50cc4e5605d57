// Soft keyboards: the letter list's stops, skips, separators and cap, the
// titles numbered over keyboards only, the punctuation size limit, and the
// recognition language that picks the file.
#include <gtest/gtest.h>

#include <string>

#include "builder/loaders.h"
#include "tests/builder/builder_test_util.h"

namespace builder_test {
namespace {

// The English recognition language's Keyboard.ini: "Soft Keyboard" with
// `lines`, then sections for the lists to name ("nokey1" has no first row).
std::string Keyboards(const std::string& lines) {
  return ">Reco Lang\\English\\Keyboard.ini\n[Soft Keyboard]\n" + lines +
         "[kb1]\n1=a\n2=b\n3=c\n4=d\n[kb2]\n1=e\n[kb3]\n1=f\n[nokey1]\n2=x\n";
}

// Loads the keyboards with RecoLangId `reco_lang` into a block whose table
// had Reserved 7 (results or'ed into `result`), then (with `titles`) their titles from "ui".
auto LoadWith(DWORD reco_lang, DWORD* result, bool titles) {
  return [=](FreshBlock& b, const WString& dir) {
    LoadRecoLanguages(&b->RecoLangTable, dir.c_str());
    b->Header.RecoLangId = reco_lang;
    b->SoftKeyboardTable.Reserved = 7;
    *result |= LoadKeyboards(b.Section(), dir.c_str());
    if (titles) LoadKeyboardTitles(&b->SoftKeyboardTable, (dir + TEXT("ui")).c_str());
  };
}

// Name=Text1,Text2,Text3,Text4:Title of each stored record; a separator's
// name alone.
std::string Records(const PreferenceBlock& b) {
  const SoftKeyboardTableRegion& t = b.SoftKeyboardTable;
  return Join(t.Count, kMaxSoftKeyboards, [&](DWORD i) {
    const SoftKeyboardLayout& k = t.Layouts[i];
    const std::string texts = Utf8(k.Text1) + "," + Utf8(k.Text2) + "," + Utf8(k.Text3) + "," +
                              Utf8(k.Text4) + ":" + Utf8(k.Title);
    return Utf8(k.Name) + (texts == ",,,:" ? "" : "=" + texts);
  });
}

TEST(Keyboards_Layouts, LetterListStopsSkipsCapsAndTitles) {
  std::string sixteen, fifteen;
  for (char letter = 'A'; letter <= 'P'; ++letter) sixteen += std::string(1, letter) + "=kb2\n";
  for (char n : std::string("0123456789ABCDE")) fifteen += "|kb2=e,,,:Layout0" + std::string(1, n);
  const Row rows[] = {
      {Keyboards("A=kb1\nB=kb2\nD=kb3\n"), "kb1=a,b,c,d:Layout00|kb2=e,,,:Layout01"},     // 0
      {Keyboards("A=ID_KB_SEPARATOR\nB=kb1\n"), "ID_KB_SEPARATOR|kb1=a,b,c,d:Layout00"},  // 1
      {Keyboards("A=nokey1\nB=kb2\n"), "kb2=e,,,:Layout00"},                              // 2
      {Keyboards("A=missing\nB=id_kb_separator\nC=kb3\n"),
       "id_kb_separator|kb3=f,,,:Layout00"},    // 3
      {Keyboards("B=kb1\n"), ""},               // 4
      {Keyboards(sixteen), fifteen.substr(1)},  // 5
      // 6: titles from the interface language, numbered over keyboards only
      {Keyboards("A=ID_KB_SEPARATOR\nB=kb1\nC=ID_KB_SEPARATOR\nD=kb2\nE=kb3\n") +
           ">ui\\Keyboard.ini\n[Soft Keyboard]\nkb3=Third\nkb9=Unused\n",
       "ID_KB_SEPARATOR|kb1=a,b,c,d:Layout00|ID_KB_SEPARATOR|kb2=e,,,:Layout01|kb3=f,,,:Third"},
  };
  DWORD result = 0;
  ExpectRows(rows, LoadWith(1033, &result, true), Records);
  EXPECT_EQ(0u, result);
}

// The punctuation size is compared unsigned and capped at 10; the keyboard
// font and size are read as they are; titles come later. The low half of
// RecoLangId picks the recognition language; without a match nothing is
// written.
TEST(Keyboards_Records, PunctuationFontSizeAndLanguage) {
  auto rows_for = [](const char* lines) {
    return Keyboards(std::string(lines) + "A=kb2\n[PUNCSYMB]\nChar=,.\n" + lines);
  };
  // Result|punctuation Size Char Font|keyboards Reserved Font Size|records
  const Row rows[] = {
      /* 0 */ {rows_for("Size=12\n"), "0|10 ,. Times New Roman|0 MingLiU 12|kb2=e,,,:"},
      /* 1 */ {rows_for(""), "0|10 ,. Times New Roman|0 MingLiU 16|kb2=e,,,:"},
      /* 2 */ {rows_for("Size=9\nFont=Tahoma\n"), "0|9 ,. Tahoma|0 Tahoma 9|kb2=e,,,:"},
      /* 3 */ {rows_for("Size=-5\n"), "0|10 ,. Times New Roman|0 MingLiU 4294967291|kb2=e,,,:"},
      /* 4 */ {rows_for("Size=0\n"), "0|0 ,. Times New Roman|0 MingLiU 0|kb2=e,,,:"},
  };
  DWORD result = 0;
  auto describe = [&](const PreferenceBlock& b) {
    const PuncSymbRegion& p = b.PuncSymb;
    const SoftKeyboardTableRegion& t = b.SoftKeyboardTable;
    return std::to_string(result) + "|" + std::to_string(p.Size) + " " + Utf8(p.Char) + " " +
           Utf8(p.Font) + "|" + std::to_string(t.Reserved) + " " + Utf8(t.Font) + " " +
           std::to_string(t.Size) + "|" + Records(b) +
           (AllZero(p.MinChar, sizeof(p.MinChar)) ? " no MinChar" : "") +
           (AllZero(t.Layouts, sizeof(t.Layouts)) ? " no layouts" : "");
  };
  ExpectRows(rows, LoadWith(1033, &result, false), describe);
  const Row high_half[] = {{rows_for("Size=9\n"), "0|9 ,. Times New Roman|0 MingLiU 9|kb2=e,,,:"}};
  ExpectRows(high_half, LoadWith(0x10000 | 1033, &result, false), describe);
  const Row no_match[] = {{rows_for("Size=9\n"), "13|0  |7  0| no MinChar no layouts"}};
  ExpectRows(no_match, LoadWith(1028, &result, false), describe);
}

}  // namespace
}  // namespace builder_test
