// Search engines and skins: the stops and caps of their lists, dropped
// engines, the ninth-skin limit, SIZE's low half, joined paths, handles
// released before a rebuild, and the gesture image's default.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "builder/loaders.h"
#include "platform/test_hooks.h"
#include "shared/preference_block.h"
#include "tests/builder/builder_test_util.h"

using builder_test::InstallDirOf;
using builder_test::Utf8;
using builder_test::WriteIni;
using test_support::TempDir;
using test_support::ToUtf8;
using test_support::WString;

namespace {

std::string Key(int n) {
  char key[8];
  std::snprintf(key, sizeof(key), "%02X", n);
  return key;
}

// "E<n>" engines with `items` items each ("E<n>I<j>"), listed under the
// keys in `engine_keys`.
std::string SearchIni(const std::vector<int>& engine_keys, int items) {
  std::string text = "[SEARCH ENGINE]\n";
  for (int n : engine_keys) text += Key(n) + "=E" + std::to_string(n) + "\n";
  for (int n : engine_keys) {
    const std::string engine = "E" + std::to_string(n);
    text += "[" + engine + "]\nTYPE=" + std::to_string(n) + "\n";
    for (int j = 1; j <= items; ++j) text += Key(j) + "=" + engine + "I" + std::to_string(j) + "\n";
    for (int j = 1; j <= items; ++j) {
      text += "[" + engine + "I" + std::to_string(j) + "]\nURL=http://e" + std::to_string(n) +
              ".example/" + std::to_string(j) + "?q=%s\n";
    }
  }
  return text;
}

TEST(SearchSkins_Search, EngineListStopsCapsAndDrops) {
  struct Case {
    std::string ini;
    DWORD engines;
    DWORD items_of_first;
    const char* names;
  };
  const Case cases[] = {
      /* 0 */ {SearchIni({1, 3}, 2), 1, 2, "E1"},
      /* 1 */
      {SearchIni({1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11}, 1), 10, 1, "E1|E2|E3|E4|E5|E6|E7|E8|E9|E10"},
      /* 2 */ {SearchIni({1, 2}, 11), 2, 10, "E1|E2"},
      /* 3: an engine without items is dropped, the next still read */
      {"[SEARCH ENGINE]\n01=Empty\n02=E2\n[Empty]\nTYPE=1\n[E2]\n01=I\n[I]\nURL=u\n", 1, 1, "E2"},
      /* 4: first item key missing */
      {"[SEARCH ENGINE]\n01=E1\n02=E2\n[E1]\n02=I\n[E2]\n01=I\n", 1, 1, "E2"},
  };
  for (size_t i = 0; i < sizeof(cases) / sizeof(cases[0]); ++i) {
    const Case& c = cases[i];
    TempDir dir;
    WriteIni(dir / TEXT("Search\\Search.ini"), c.ini);
    auto block = std::make_unique<PreferenceBlock>();
    LoadSearchEngines(&block->SearchTable, InstallDirOf(dir).c_str());
    const SearchTableRegion& t = block->SearchTable;
    std::string names;
    for (DWORD e = 0; e < t.Count && e < kMaxSearchEngines; ++e) {
      names += (e == 0 ? "" : "|") + Utf8(t.Engines[e].Name);
    }
    EXPECT_EQ(c.engines, t.Count) << "row " << i;
    EXPECT_EQ(c.items_of_first, t.Engines[0].Count) << "row " << i;
    EXPECT_EQ(c.names, names) << "row " << i;
  }
}

TEST(SearchSkins_Search, EngineFieldsAndTitles) {
  TempDir dir;
  const std::string long_url = "http://example.com/" + std::string(120, 'x');
  WriteIni(dir / TEXT("Search\\Search.ini"),
           "[SEARCH ENGINE]\n01=Web\n[Web]\nTYPE=3\n01=Pages\n02=News\n[Pages]\nURL=" + long_url +
               "\n[News]\nURL=http://n.example/?q=%s\n");
  WriteIni(dir / TEXT("ui\\Search.ini"), "[SEARCH ENGINE]\nWeb=网页搜索\n[Web]\nNews=新闻\n");
  auto block = std::make_unique<PreferenceBlock>();
  LoadSearchEngines(&block->SearchTable, InstallDirOf(dir).c_str());
  LoadSearchTitles(&block->SearchTable, (dir / TEXT("ui")).c_str());
  const SearchEngine& e = block->SearchTable.Engines[0];
  EXPECT_EQ(3, e.TYPE);
  EXPECT_EQ("网页搜索", Utf8(e.Title));
  EXPECT_EQ("Catalog", Utf8(e.Items[0].Title));
  EXPECT_EQ("新闻", Utf8(e.Items[1].Title));
  EXPECT_EQ(long_url.substr(0, 127), Utf8(e.Items[0].URL));
}

// "S<n>" skins under the keys in `keys`, each with the section lines `body`.
std::string SkinIni(const std::vector<int>& keys, const std::string& body) {
  std::string text = "[SKIN]\n";
  for (int n : keys) text += Key(n) + "=S" + std::to_string(n) + "\n";
  for (int n : keys)
    text += "[S" + std::to_string(n) + "]\nDIR=d" + std::to_string(n) + "\n" + body;
  return text;
}

TEST(SearchSkins_Skins, ListStopsAndKeepsNine) {
  struct Case {
    std::string ini;  // nullptr-like empty: no file
    DWORD count;
  };
  const Case cases[] = {
      /* 0 */ {SkinIni({0, 1, 2}, "SIZE=240\n"), 3},
      /* 1 */ {SkinIni({1, 2}, "SIZE=240\n"), 0},  // keys start at "00"
      /* 2 */ {SkinIni({0, 1, 2, 3, 4, 5, 6, 7, 8, 9}, "SIZE=240\n"), 9},
      /* 3 */ {SkinIni({0, 1}, "SIZE=0\n"), 0},
      /* 4 */ {SkinIni({0, 1}, "Font=3\n"), 0},  // no SIZE
      /* 5 */ {"", 0},                           // no Skin.ini
      /* 6: a skin without SIZE ends the list although later ones are valid */
      {"[SKIN]\n00=A\n01=B\n02=C\n[A]\nSIZE=1\n[B]\nDIR=b\n[C]\nSIZE=1\n", 1},
  };
  for (size_t i = 0; i < sizeof(cases) / sizeof(cases[0]); ++i) {
    TempDir dir;
    if (!cases[i].ini.empty()) WriteIni(dir / TEXT("Skin\\Skin.ini"), cases[i].ini);
    auto block = std::make_unique<PreferenceBlock>();
    LoadSkins(&block->SkinTable, InstallDirOf(dir).c_str());
    EXPECT_EQ(cases[i].count, block->SkinTable.Count) << "row " << i;
    EXPECT_EQ(0u, block->SkinTable.Skins[kSkinSlots - 1].SIZE) << "row " << i;
  }
}

TEST(SearchSkins_Skins, Fields) {
  TempDir dir;
  const WString install = InstallDirOf(dir);
  WriteIni(dir / TEXT("Skin\\Skin.ini"),
           "[SKIN]\n00=Blue\n01=Big\n[Blue]\nSIZE=65537\nDIR=Blue\nSKIN=main.bmp\n"
           "TOOLBAR=\\bar.bmp\nSPECIAL=sp.bmp\n[Big]\nSIZE=480\nFont=20\n");
  auto block = std::make_unique<PreferenceBlock>();
  LoadSkins(&block->SkinTable, install.c_str());
  ASSERT_EQ(2u, block->SkinTable.Count);
  const SkinEntry& blue = block->SkinTable.Skins[0];
  EXPECT_EQ(1u, blue.SIZE);
  EXPECT_EQ(14, blue.Font);
  EXPECT_EQ("Blue", Utf8(blue.DIR));
  EXPECT_EQ(ToUtf8(install) + "Skin\\Blue\\main.bmp", Utf8(blue.SKIN));
  EXPECT_EQ(ToUtf8(install) + "Skin\\Blue\\bar.bmp", Utf8(blue.TOOLBAR));
  EXPECT_EQ(ToUtf8(install) + "Skin\\Blue\\sp.bmp", Utf8(blue.SPECIAL));
  EXPECT_EQ(20, block->SkinTable.Skins[1].Font);
  EXPECT_EQ(ToUtf8(install) + "Skin\\", Utf8(block->SkinTable.Skins[1].SKIN));
}

TEST(SearchSkins_Skins, RebuildReleasesEveryHandleOnce) {
  auto block = std::make_unique<PreferenceBlock>();
  SkinTableRegion& t = block->SkinTable;
  t.Count = 2;
  t.Skins[0].Handles[0] = 0x1000;
  t.Skins[0].Handles[2] = 0x1004;
  t.Skins[1].Handles[1] = 0x1008;
  t.Skins[2].Handles[0] = 0x100C;  // beyond the count: not the table's
  platform_test::ResetDeleteObjectCount();
  TempDir dir;
  LoadSkins(&t, InstallDirOf(dir).c_str());
  EXPECT_EQ(0u, t.Count);
  EXPECT_EQ(0u, t.Skins[0].Handles[0] | t.Skins[0].Handles[2] | t.Skins[1].Handles[1]);
  EXPECT_EQ(0x100Cu, t.Skins[2].Handles[0]);
  // Windows: the values are not real objects, so nothing can be counted.
  if (platform_test::DeleteObjectCount() >= 0) {
    EXPECT_EQ(3, platform_test::DeleteObjectCount());
  }
}

TEST(SearchSkins_Gesture, DefaultAndJoinedFile) {
  struct Case {
    const char* config;  // nullptr: no file
    const char* file;
  };
  const Case cases[] = {
      {nullptr, "BG.bmp"},
      {"[GESTURE]\nFILE=Gesture.bmp\n", "Gesture.bmp"},
      {"[GESTURE]\nFILE=\\Back.bmp\n", "Back.bmp"},
  };
  for (const Case& c : cases) {
    TempDir dir;
    const WString install = InstallDirOf(dir);
    if (c.config != nullptr) WriteIni(dir / TEXT("Skin\\Config.ini"), c.config);
    auto block = std::make_unique<PreferenceBlock>();
    block->GestureImage.Reserved = 7;
    LoadGestureImage(&block->GestureImage, install.c_str());
    EXPECT_EQ(ToUtf8(install) + "Skin\\" + c.file, Utf8(block->GestureImage.Path));
    EXPECT_EQ(0u, block->GestureImage.Reserved);
  }
}

}  // namespace
