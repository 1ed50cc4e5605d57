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
  for (std::string n : {"1", "2", "3", "4", "5", "6", "7"})
    file += "[L" + n + "]\nNAME=n" + n + "\nDIR=d" + n + "\nHelp=h" + n + "\n";
  // Language,NAME,DIR,Help of each entry.
  const Row rows[] = {
      /* 0 */ {file + "[LANGUAGE]\n01=L1\n02=L2\n03=\n04=L4\n", "L1,n1,d1,h1|L2,n2,d2,h2"},
      /* 1 */
      {file + "[LANGUAGE]\n01=L1\n02=L2\n03=L3\n04=L4\n05=L5\n06=L6\n07=L7\n",
       "L1,n1,d1,h1|L2,n2,d2,h2|L3,n3,d3,h3|L4,n4,d4,h4|L5,n5,d5,h5"},
      /* 2 */ {file + "[LANGUAGE]\n01=LX\n03=L3\n", "LX,,,"},  // LX has no section
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

// Only the Chinese folder has a Config.ini; English takes the defaults. The
// titles come from the interface language's Lang.ini ("ui"): the key, cut to
// 31 characters, or the numbered default.
TEST(Languages_RecoLang, EntriesAndTitles) {
  // Kind LangId/LangId2 EngineFile Id Folder:Title InstallDir Sample Dict ImageFile ImageNum
  // ImageDefault.
  const Row rows[] = {
      {">Reco Lang\\Simplified Chinese\\Config.ini\n[IMAGE]\nFILE=Sample.bmp\nNUM=4\nDEFAULT=2\n"
       ">ui\\Lang.ini\n[RECO LANG]\nid_lang_sc=More than thirty-one characters, cut\n",
       "1000 2052/2052 QXRE_VEQ_CHS.dll ID_LANG_SC Simplified Chinese:More than thirty-one "
       "characters ~\\ 北京欢迎您 Dict\\0804 Sample.bmp 4 2|101 1033/1033 QXRE_VEQ_CHS.dll "
       "ID_LANG_EN English:RecognizeLanguage01 ~\\ Welcome To China Dict\\0409  1 0"}};
  auto load = [](FreshBlock& b, const WString& dir) {
    LoadRecoLanguages(&b->RecoLangTable, dir.c_str());
    LoadRecoLanguages(nullptr, dir.c_str());
    LoadRecoLanguages(&b->RecoLangTable, nullptr);  // neither writes anything
    LoadRecoLangTitles(&b->RecoLangTable, (dir + TEXT("ui")).c_str());
  };
  ExpectRows(rows, load, [](const PreferenceBlock& b) {
    return Join(b.RecoLangTable.Count, kRecoLangSlots, [&](DWORD e) {
      const RecoLangEntry& r = b.RecoLangTable.Entries[e];
      std::ostringstream s;
      s << std::hex << r.Kind << std::dec << ' ' << r.LangId << '/' << r.LangId2 << ' '
        << Utf8(r.EngineFile) << ' ' << Utf8(r.Id) << ' ' << Utf8(r.Folder) << ':' << Utf8(r.Title)
        << ' ' << Utf8(b.RecoLangTable.InstallDir) << ' ' << Utf8(r.Sample) << ' ' << Utf8(r.Dict)
        << ' ' << Utf8(r.ImageFile) << ' ' << r.ImageNum << ' ' << r.ImageDefault;
      return s.str();
    });
  });
}

}  // namespace
}  // namespace builder_test
