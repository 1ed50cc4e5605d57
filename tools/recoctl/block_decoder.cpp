// The block as JSON, printed as such or as indented text.
#include "tools/recoctl/block_decoder.h"

#include <algorithm>
#include <cstddef>

#include <nlohmann/json.hpp>

#include "builder/text_tables.h"
#include "tools/recoctl/host.h"

namespace {

using Json = nlohmann::ordered_json;

struct Bit {
  DWORD mask;
  const char* name;
};

const Bit kChineseRangeBits[] = {
    {0x1, "standard characters"},
    {0x2, "special radicals"},
    {0x4, "traditional and variant forms"},
    {0x8, "running and cursive script"},
    {0x300, "English letters"},
    {0x400, "digits"},
    {0x1000, "Chinese punctuation"},
    {0x2000, "English punctuation"},
    {0x4000, "punctuation"},
};
const Bit kLatinRangeBits[] = {
    {0x10000, "arbitrary strings"},
};

// Names of the set bits; bits without a name are listed in hexadecimal.
template <size_t N>
Json RangeBits(DWORD value, const Bit (&bits)[N]) {
  Json names = Json::array();
  DWORD named = 0;
  for (const Bit& bit : bits) {
    if ((value & bit.mask) == bit.mask) {
      names.push_back(bit.name);
      named |= bit.mask;
    }
  }
  for (DWORD mask = 1; mask != 0; mask <<= 1) {
    if ((value & mask) != 0 && (named & mask) == 0) names.push_back(Hex(mask));
  }
  return names;
}

const char* CharsetName(DWORD charset) {
  switch (charset) {
    case kCharsetGb2312:
      return "GB2312";
    case kCharsetGbk:
      return "GBK";
    case kCharsetGb18030:
      return "GB18030";
    default:
      return "";
  }
}

Json Header(const HeaderRecord& header) {
  Json json;
  const DWORD* words = reinterpret_cast<const DWORD*>(&header);
  for (size_t i = 0; i < sizeof(header) / sizeof(DWORD); ++i) {
    const size_t offset = i * sizeof(DWORD);
    if (offset == offsetof(HeaderRecord, MenuLangIndex)) {
      json["MenuLangIndex"] = header.MenuLangIndex;
    } else if (offset == offsetof(HeaderRecord, RecoLangId)) {
      json["RecoLangId"] = header.RecoLangId;
    } else if (offset == offsetof(HeaderRecord, Hotkey)) {
      json["Hotkey"] = header.Hotkey;
    } else {
      json["Word" + std::to_string(offset)] = words[i];
    }
  }
  return json;
}

Json Entry(const LanguageEntry& entry) {
  const bool chinese = entry.LangId == kLangSimplifiedChinese;
  Json json;
  json["LangId"] = entry.LangId;
  json["Word4"] = Hex(entry.Word4);
  json["Charset"] = entry.Charset;
  if (chinese) json["CharsetName"] = CharsetName(entry.Charset);
  json["RecoRange"] = Hex(entry.RecoRange);
  json["RecoRangeBits"] = chinese ? RangeBits(entry.RecoRange, kChineseRangeBits)
                                  : RangeBits(entry.RecoRange, kLatinRangeBits);
  json["AutoInsertSpace"] = entry.AutoInsertSpace;
  json["PhraseMode"] = entry.PhraseMode;
  json["Word24"] = entry.Word24;
  json["Word44"] = entry.Word44;
  json["Word48"] = entry.Word48;
  json["FontName"] = NarrowField(entry.FontName);
  json["FontSize"] = entry.FontSize;
  json["Word120"] = entry.Word120;
  json["Word124"] = entry.Word124;
  json["Word128"] = entry.Word128;
  json["Word132"] = entry.Word132;
  json["Word136"] = entry.Word136;
  return json;
}

// The first `count` records of a table with room for `room`, each as
// `describe` gives it: a count read from the block never walks past the
// table.
template <typename Record, typename Describe>
Json Records(DWORD count, DWORD room, const Record* records, Describe describe) {
  Json list = Json::array();
  for (DWORD i = 0; i < count && i < room; ++i) list.push_back(describe(records[i]));
  return list;
}

Json Keyboards(const PuncSymbRegion& punc, const SoftKeyboardTableRegion& table, Json* json) {
  (*json)["PuncSymb"] = {{"Font", NarrowField(punc.Font)},
                         {"Size", punc.Size},
                         {"Char", NarrowField(punc.Char)},
                         {"MinChar", NarrowField(punc.MinChar)}};
  const Json layouts = Records(
      table.Count, kMaxSoftKeyboards, table.Layouts, [](const SoftKeyboardLayout& layout) -> Json {
        return {{"Name", NarrowField(layout.Name)},   {"Title", NarrowField(layout.Title)},
                {"Text1", NarrowField(layout.Text1)}, {"Text2", NarrowField(layout.Text2)},
                {"Text3", NarrowField(layout.Text3)}, {"Text4", NarrowField(layout.Text4)}};
      });
  return {{"Count", table.Count},
          {"Font", NarrowField(table.Font)},
          {"Size", table.Size},
          {"Layouts", layouts}};
}

Json Skins(const SkinTableRegion& table) {
  return {
      {"Count", table.Count},
      {"Skins", Records(table.Count, kSkinSlots, table.Skins, [](const SkinEntry& skin) -> Json {
         return {{"SIZE", skin.SIZE},
                 {"Handles", {skin.Handles[0], skin.Handles[1], skin.Handles[2]}},
                 {"Font", skin.Font},
                 {"DIR", NarrowField(skin.DIR)},
                 {"SKIN", NarrowField(skin.SKIN)},
                 {"TOOLBAR", NarrowField(skin.TOOLBAR)},
                 {"SPECIAL", NarrowField(skin.SPECIAL)}};
       })}};
}

Json MenuLanguages(const MenuLangTableRegion& table) {
  return {{"Count", table.Count},
          {"Entries", Records(table.Count, kMaxMenuLangs, table.Entries,
                              [](const MenuLangEntry& entry) -> Json {
                                return {{"Language", NarrowField(entry.Language)},
                                        {"NAME", NarrowField(entry.NAME)},
                                        {"DIR", NarrowField(entry.DIR)},
                                        {"Help", NarrowField(entry.Help)}};
                              })}};
}

Json RecoLanguages(const RecoLangTableRegion& table) {
  return {{"Count", table.Count},
          {"InstallDir", NarrowField(table.InstallDir)},
          {"Entries", Records(table.Count, kRecoLangSlots, table.Entries,
                              [](const RecoLangEntry& entry) -> Json {
                                return {{"Kind", Hex(entry.Kind)},
                                        {"LangId", entry.LangId},
                                        {"ImageNum", entry.ImageNum},
                                        {"ImageDefault", entry.ImageDefault},
                                        {"EngineFile", NarrowField(entry.EngineFile)},
                                        {"Id", NarrowField(entry.Id)},
                                        {"Title", NarrowField(entry.Title)},
                                        {"Folder", NarrowField(entry.Folder)},
                                        {"Sample", NarrowField(entry.Sample)},
                                        {"Dict", NarrowField(entry.Dict)},
                                        {"ImageFile", NarrowField(entry.ImageFile)}};
                              })}};
}

Json Item(const SearchItem& item) {
  return {{"Name", NarrowField(item.Name)},
          {"Title", NarrowField(item.Title)},
          {"URL", NarrowField(item.URL)}};
}

Json Engine(const SearchEngine& engine) {
  return {{"Name", NarrowField(engine.Name)},
          {"Title", NarrowField(engine.Title)},
          {"TYPE", engine.TYPE},
          {"Count", engine.Count},
          {"Items", Records(engine.Count, kSearchItemSlots, engine.Items, Item)}};
}

Json SearchEngines(const SearchTableRegion& table) {
  return {{"Count", table.Count},
          {"Engines", Records(table.Count, kMaxSearchEngines, table.Engines, Engine)}};
}

// Every slot a row names, as "section/key": text, in the order read.
Json TextRegion(const PreferenceBlock& block, const TextTable& table) {
  const BYTE* region = reinterpret_cast<const BYTE*>(&block) + table.BlockOffset;
  Json texts;
  for (DWORD i = 0; i < table.RowCount; ++i) {
    const TextRow& row = table.Rows[i];
    const WCHAR* slot = reinterpret_cast<const WCHAR*>(region + row.Slot);
    texts[Narrow(row.Section) + "/" + Narrow(row.Key)] = NarrowField(slot, row.Capacity);
  }
  return texts;
}

Json Decode(const PreferenceBlock& block) {
  Json json;
  json["Header"] = Header(block.Header);
  Json entries = Json::array();
  for (const LanguageEntry& entry : block.Entries) entries.push_back(Entry(entry));
  json["LanguageEntries"] = entries;
  json["NumRange"] = Hex(block.NumRange);
  json["SettingsPath"] = NarrowField(block.SettingsPath);
  json["ExtendWord0"] = Hex(block.ExtendWord0);
  json["ExtendSize"] = block.ExtendSize;
  json["SoftKeyboardTable"] = Keyboards(block.PuncSymb, block.SoftKeyboardTable, &json);
  json["SkinTable"] = Skins(block.SkinTable);
  json["MenuLangTable"] = MenuLanguages(block.MenuLangTable);
  json["RecoLangTable"] = RecoLanguages(block.RecoLangTable);
  json["SearchTable"] = SearchEngines(block.SearchTable);
  json["GestureImage"] = NarrowField(block.GestureImage.Path);
  for (const TextTable* table : kTextTables) json[table->Name] = TextRegion(block, *table);
  return json;
}

std::string Scalar(const Json& value) {
  if (value.is_string()) return value.get<std::string>();
  return value.dump(-1, ' ', false, Json::error_handler_t::replace);
}

// Indented "name: value" lines; lists of scalars on one line.
void AppendText(const Json& value, const std::string& indent, std::string* out) {
  if (value.is_object()) {
    for (const auto& item : value.items()) {
      const Json& child = item.value();
      const bool scalars =
          child.is_array() &&
          std::all_of(child.begin(), child.end(), [](const Json& j) { return !j.is_structured(); });
      if (!child.is_structured()) {
        *out += indent + item.key() + ": " + Scalar(child) + "\n";
      } else if (scalars) {
        std::string line;
        for (const Json& j : child) line += (line.empty() ? "" : ", ") + Scalar(j);
        *out += indent + item.key() + ": [" + line + "]\n";
      } else {
        *out += indent + item.key() + ":\n";
        AppendText(child, indent + "  ", out);
      }
    }
  } else if (value.is_array()) {
    for (size_t i = 0; i < value.size(); ++i) {
      *out += indent + "[" + std::to_string(i) + "]\n";
      AppendText(value[i], indent + "  ", out);
    }
  }
}

}  // namespace

std::string DescribePreferenceBlock(const PreferenceBlock& block, bool json) {
  const Json decoded = Decode(block);
  std::string out;
  if (json) {
    out = decoded.dump(2, ' ', false, Json::error_handler_t::replace) + "\n";
  } else {
    AppendText(decoded, "", &out);
  }
  return out;
}
