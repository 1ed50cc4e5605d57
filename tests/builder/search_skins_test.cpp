// Search engines and skins: the stops and caps of their lists, dropped
// engines, the ninth-skin limit, SIZE's low half, joined paths (the gesture
// image's too), and handles released before a rebuild.
#include <gtest/gtest.h>

#include <string>

#include "builder/loaders.h"
#include "platform/test_hooks.h"
#include "tests/builder/builder_test_util.h"

namespace builder_test {
namespace {

// `head` (a file and its list's section) listing "<prefix><n>" under the
// keys "0<n>" for n from `first` to `last` (hexadecimal digits), each in a
// section holding `body` and "DIR=d<n>".
std::string ListIni(std::string head, const std::string& prefix, int first, int last,
                    const std::string& body) {
  std::string sections;
  for (int n = first; n <= last; ++n) {
    const std::string name = prefix + std::to_string(n);
    head += std::string("0") + "0123456789ABCDEF"[n] + "=" + name + "\n";
    sections += "[" + name + "]\n" + body + "DIR=d" + std::to_string(n) + "\n";
  }
  return head + sections;
}
const char kEngines[] = ">Search\\Search.ini\n[SEARCH ENGINE]\n";
const char kSkins[] = ">Skin\\Skin.ini\n[SKIN]\n";

TEST(SearchSkins_Search, EngineListStopsCapsAndDrops) {
  const std::string url = "http://example.com/" + std::string(120, 'x');
  std::string eleven, ten;  // items "01" to "0B"; what eleven engines of them leave
  for (int j = 1; j <= 11; ++j) eleven += std::string("0") + "0123456789ABCDEF"[j] + "=I\n";
  for (int n = 1; n <= 10; ++n) ten += "|E" + std::to_string(n) + ":10 ";
  // Name:item count of each stored engine and its first item's URL.
  const Row rows[] = {
      {ListIni(kEngines, "E", 1, 11, eleven), ten.substr(1)},
      // An engine without items is dropped and the next still read, as is one
      // whose first item key is missing; the first missing key ends the list;
      // a URL is cut to 127 characters.
      {std::string(kEngines) +
           "01=E1\n02=E2\n03=E3\n05=E5\n[E1]\nTYPE=1\n[E2]\n02=I\n[E3]\n01=I\n" +
           "[E5]\n01=I\n[I]\nURL=" + url,
       "E3:1 " + url.substr(0, 127)},
  };
  auto load = [](FreshBlock& b, const WString& dir) {
    LoadSearchEngines(&b->SearchTable, dir.c_str());
    LoadSearchTitles(&b->SearchTable, dir.c_str());
  };
  ExpectRows(rows, load, [](const PreferenceBlock& b) {
    const SearchTableRegion& t = b.SearchTable;
    std::string out = Join(t.Count, kMaxSearchEngines, [&](DWORD e) {
      const SearchEngine& engine = t.Engines[e];
      return Utf8(engine.Name) + ":" + std::to_string(engine.Count) + " " +
             Utf8(engine.Items[0].URL);
    });
    // Titles go to the listed engines only.
    if (t.Count < kMaxSearchEngines && !AllZero(&t.Engines[t.Count], sizeof(SearchEngine)))
      out += " +next";
    return out;
  });
}

// The list ends at the first missing key or skin without a nonzero SIZE (a
// one-letter name is a name) and keeps nine skins, leaving the tenth slot
// unwritten. SIZE keeps its low half, Font defaults to 14, the files join
// DIR; the gesture image ("BG.bmp" by default) joins the skin folder.
TEST(SearchSkins_Skins, ListStopsKeepsNineAndJoinsPaths) {
  std::string nine;  // what nine skins without files leave
  for (int n = 0; n <= 8; ++n) {
    const std::string dir = "d" + std::to_string(n), path = " ~\\Skin\\" + dir + "\\";
    nine += "2 14 " + dir + path + path + path + "|";
  }
  const Row rows[] = {
      {ListIni(kSkins, "S", 1, 2, "SIZE=240\n"), "|~\\Skin\\BG.bmp"},  // no key "00"
      {ListIni(kSkins, "S", 0, 9, "SIZE=2\n"), nine + "~\\Skin\\BG.bmp"},
      {std::string(kSkins) + "00=U\n01=B\n02=C\n[B]\nDIR=b\n[C]\nSIZE=1\n[U]\nSIZE=65537\n"
                             "Font=20\nDIR=Blue\nSKIN=main.bmp\nTOOLBAR=\\bar.bmp\nSPECIAL=sp.bmp\n"
                             ">Skin\\Config.ini\n[GESTURE]\nFILE=\\Back.bmp\n",
       "1 20 Blue ~\\Skin\\Blue\\main.bmp ~\\Skin\\Blue\\bar.bmp ~\\Skin\\Blue\\sp.bmp|"
       "~\\Skin\\Back.bmp"},
  };
  auto load = [](FreshBlock& b, const WString& dir) {
    LoadSkins(&b->SkinTable, dir.c_str());
    b->GestureImage.Reserved = 7;
    LoadGestureImage(&b->GestureImage, dir.c_str());
  };
  ExpectRows(rows, load, [](const PreferenceBlock& b) {
    const SkinTableRegion& t = b.SkinTable;
    std::string out = Join(t.Count, kSkinSlots, [&](DWORD s) {
      const SkinEntry& k = t.Skins[s];
      return std::to_string(k.SIZE) + " " + std::to_string(k.Font) + " " + Utf8(k.DIR) + " " +
             Utf8(k.SKIN) + " " + Utf8(k.TOOLBAR) + " " + Utf8(k.SPECIAL);
    });
    if (!AllZero(&t.Skins[kSkinSlots - 1], sizeof(SkinEntry))) out += " +tenth";
    if (b.GestureImage.Reserved != 0) out += " +reserved";
    return out + "|" + Utf8(b.GestureImage.Path);
  });
}

TEST(SearchSkins_Skins, RebuildReleasesEveryHandleOnce) {
  SkinTableRegion t = {};
  t.Count = 2;
  t.Skins[0].Handles[0] = 0x1000;
  t.Skins[0].Handles[2] = 0x1004;
  t.Skins[1].Handles[1] = 0x1008;
  t.Skins[2].Handles[0] = 0x100C;  // beyond the count: not the table's
  platform_test::ResetDeleteObjectCount();
  LoadSkins(&t, TEXT("\\nowhere\\"));
  EXPECT_EQ(0u, t.Count);
  EXPECT_EQ(0u, t.Skins[0].Handles[0] | t.Skins[0].Handles[2] | t.Skins[1].Handles[1]);
  EXPECT_EQ(0x100Cu, t.Skins[2].Handles[0]);
  // Windows: the values are not real objects, so nothing can be counted.
  EXPECT_TRUE(platform_test::DeleteObjectCount() < 0 || platform_test::DeleteObjectCount() == 3);
}

}  // namespace
}  // namespace builder_test
