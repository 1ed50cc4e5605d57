// Interface languages: the end of the key list, the cap of five, the fields
// of an entry. Recognition languages: fixed values, the image keys and their
// defaults, and the titles of the interface language.
#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "builder/loaders.h"
#include "tests/builder/builder_test_util.h"

namespace builder_test {
namespace {

TEST(Languages_MenuLang, ListEndsAtTheFirstGapAndKeepsFive) {
  std::string file = ">Config.ini\n";  // sections L1 to L7 for the lists to name
  for (std::string n : {"1", "2", "3", "4", "5", "6", "7"}) {
    file += "[L" + n + "]\nNAME=n" + n + "\nDIR=d" + n + "\nHelp=h" + n + "\n";
  }
  // Language,NAME,DIR,Help of each entry.
  const Row rows[] = {
      /* 0 */ {file + "[LANGUAGE]\n01=L1\n02=L2\n04=L4\n", "L1,n1,d1,h1|L2,n2,d2,h2"},
      /* 1 */
      {file + "[LANGUAGE]\n01=L1\n02=L2\n03=L3\n04=L4\n05=L5\n06=L6\n07=L7\n",
       "L1,n1,d1,h1|L2,n2,d2,h2|L3,n3,d3,h3|L4,n4,d4,h4|L5,n5,d5,h5"},
      /* 2 */ {file + "[LANGUAGE]\n02=L2\n", ""},
      /* 3 */ {file + "[LANGUAGE]\n01=L1\n02=\n03=L3\n", "L1,n1,d1,h1"},
      /* 4 */ {file + "[LANGUAGE]\n01=L1\n02=LX\n", "L1,n1,d1,h1|LX,,,"},  // LX has no section
      /* 5 */ {file + "[language]\n01=L7\n", "L7,n7,d7,h7"},
  };
  auto load = [](FreshBlock& b, const WString& dir) {
    LoadMenuLanguages(&b->MenuLangTable, dir.c_str());
    LoadMenuLanguages(nullptr, dir.c_str());
    LoadMenuLanguages(&b->MenuLangTable, nullptr);  // neither reads anything
  };
  ExpectRows(rows, load, [](const PreferenceBlock& b) {
    return Join(b.MenuLangTable.Count, kMaxMenuLangs, [&](DWORD e) {
      const MenuLangEntry& m = b.MenuLangTable.Entries[e];
      return Utf8(m.Language) + "," + Utf8(m.NAME) + "," + Utf8(m.DIR) + "," + Utf8(m.Help);
    });
  });
}

TEST(Languages_RecoLang, EntriesAndTitles) {
  auto load = [](FreshBlock& b, const WString& dir) {
    LoadRecoLanguages(&b->RecoLangTable, dir.c_str());
  };
  // Only the Chinese folder has a Config.ini; English takes the defaults.
  // Kind LangId/LangId2 EngineFile Id Folder/Title InstallDir Sample Dict ImageFile ImageNum
  // ImageDefault.
  const Row entries[] = {
      {">Reco Lang\\Simplified Chinese\\Config.ini\n[IMAGE]\nFILE=Sample.bmp\nNUM=4\nDEFAULT=2\n",
       "1000 2052/2052 QXRE_VEQ_CHS.dll ID_LANG_SC Simplified Chinese/Simplified Chinese ~\\ "
       "北京欢迎您 Dict\\0804 Sample.bmp 4 2|101 1033/1033 QXRE_VEQ_CHS.dll ID_LANG_EN "
       "English/English ~\\ Welcome To China Dict\\0409  1 0"}};
  ExpectRows(entries, load, [](const PreferenceBlock& b) {
    return Join(b.RecoLangTable.Count, kRecoLangSlots, [&](DWORD e) {
      const RecoLangEntry& r = b.RecoLangTable.Entries[e];
      std::ostringstream s;
      s << std::hex << r.Kind << std::dec << ' ' << r.LangId << '/' << r.LangId2 << ' '
        << Utf8(r.EngineFile) << ' ' << Utf8(r.Id) << ' ' << Utf8(r.Folder) << '/' << Utf8(r.Title)
        << ' ' << Utf8(b.RecoLangTable.InstallDir) << ' ' << Utf8(r.Sample) << ' ' << Utf8(r.Dict)
        << ' ' << Utf8(r.ImageFile) << ' ' << r.ImageNum << ' ' << r.ImageDefault;
      return s.str();
    });
  });
  // Titles: the key, or the numbered default; cut to 31 characters.
  const Row titles[] = {
      /* 0 */ {"", "RecognizeLanguage00|RecognizeLanguage01"},
      /* 1 */ {">Lang.ini\n[RECO LANG]\nID_LANG_SC=\n", "|RecognizeLanguage01"},
      /* 2 */
      {">Lang.ini\n[RECO LANG]\nid_lang_en=英文\nID_LANG_SC=More than thirty-one characters, cut",
       "More than thirty-one characters|英文"},
  };
  auto load_titles = [&](FreshBlock& b, const WString& dir) {
    load(b, dir);
    LoadRecoLangTitles(&b->RecoLangTable, dir.c_str());
  };
  ExpectRows(titles, load_titles, [](const PreferenceBlock& b) {
    return Join(b.RecoLangTable.Count, kRecoLangSlots,
                [&](DWORD e) { return Utf8(b.RecoLangTable.Entries[e].Title); });
  });
}

}  // namespace
}  // namespace builder_test
