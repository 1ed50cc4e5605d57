// The block as JSON, printed as such or as indented text.
#include "tools/recoctl/block_decoder.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstddef>
#include <cstdlib>
#include <cstring>

#include <nlohmann/json.hpp>

#include "builder/text_tables.h"
#include "settings/settings_defaults.h"
#include "tools/recoctl/host.h"

namespace {

using Json = nlohmann::ordered_json;

constexpr DWORD kAny = 0xFFFFFFFF;

#define RECO_HEADER_WORD(name, help) \
  { #name, offsetof(HeaderRecord, name), sizeof(DWORD), FieldKind::kWord, kAny, help }
constexpr SettingsField kHeaderFields[] = {
    RECO_HEADER_WORD(Word0, "server setting"),
    RECO_HEADER_WORD(Word4, "server setting"),
    RECO_HEADER_WORD(Word8, "server setting"),
    RECO_HEADER_WORD(Word12, "server setting"),
    RECO_HEADER_WORD(Word16, "server setting"),
    {"Word20", offsetof(HeaderRecord, Word20), sizeof(DWORD), FieldKind::kHexWord, kAny,
     "server setting"},
    RECO_HEADER_WORD(Word24, "server setting"),
    RECO_HEADER_WORD(Word28, "server setting"),
    RECO_HEADER_WORD(Word32, "server setting"),
    RECO_HEADER_WORD(Word36, "server setting"),
    RECO_HEADER_WORD(Word40, "server setting"),
    RECO_HEADER_WORD(Word44, "server setting"),
    {"MenuLangIndex", offsetof(HeaderRecord, MenuLangIndex), sizeof(LONG), FieldKind::kSignedWord,
     kAny, "interface language: index into the interface-language table"},
    {"RecoLangId", offsetof(HeaderRecord, RecoLangId), sizeof(DWORD), FieldKind::kWord, kAny,
     "recognition language; 2052 opens the Chinese page, anything else the Latin page"},
    RECO_HEADER_WORD(Word56, "server setting"),
    RECO_HEADER_WORD(Word60, "server setting"),
    RECO_HEADER_WORD(Word64, "server setting"),
    RECO_HEADER_WORD(Word68, "server setting"),
    RECO_HEADER_WORD(Hotkey, "hot key code of the input method (0 loads as the default)"),
    RECO_HEADER_WORD(Word76, "server setting"),
    RECO_HEADER_WORD(Word80, "server setting"),
    RECO_HEADER_WORD(Word84, "server setting"),
    RECO_HEADER_WORD(Word88, "server setting"),
};
#undef RECO_HEADER_WORD

#define RECO_ENTRY_FIELD(name, kind, max, help) \
  { #name, offsetof(LanguageEntry, name), sizeof(LanguageEntry::name), kind, max, help }
constexpr SettingsField kEntryFields[] = {
    RECO_ENTRY_FIELD(LangId, FieldKind::kWord, 0xFFFF,
                     "language of the entry; a page finds it by this"),
    RECO_ENTRY_FIELD(Word4, FieldKind::kHexWord, kAny, "recognizer setting"),
    RECO_ENTRY_FIELD(Charset, FieldKind::kWord, kAny, "4097 GB2312, 4098 GBK, 4099 GB18030"),
    RECO_ENTRY_FIELD(RecoRange, FieldKind::kHexWord, kAny,
                     "recognition-range bits (Chinese 0x1..0x2000, Latin 0x10000 strings)"),
    RECO_ENTRY_FIELD(AutoInsertSpace, FieldKind::kWord, 1,
                     "1: append a space after a sent word (Latin page)"),
    RECO_ENTRY_FIELD(PhraseMode, FieldKind::kWord, 4, "4: recognise short phrases, 3 otherwise"),
    RECO_ENTRY_FIELD(Word24, FieldKind::kWord, kAny, "stored as 0 by every page save"),
    RECO_ENTRY_FIELD(Reserved28, FieldKind::kBytes, kAny, "not set by the tool"),
    RECO_ENTRY_FIELD(Word44, FieldKind::kWord, kAny, "recognizer setting"),
    RECO_ENTRY_FIELD(Word48, FieldKind::kWord, kAny, "recognizer setting"),
    RECO_ENTRY_FIELD(FontName, FieldKind::kText, kAny, "face of the result font, 31 characters"),
    RECO_ENTRY_FIELD(FontSize, FieldKind::kWord, kAny, "size of the result font"),
    RECO_ENTRY_FIELD(Word120, FieldKind::kWord, kAny, "recognizer setting"),
    RECO_ENTRY_FIELD(Word124, FieldKind::kWord, kAny, "recognizer setting"),
    RECO_ENTRY_FIELD(Word128, FieldKind::kWord, kAny, "recognizer setting"),
    RECO_ENTRY_FIELD(Word132, FieldKind::kWord, kAny, "recognizer setting"),
    RECO_ENTRY_FIELD(Word136, FieldKind::kWord, kAny, "recognizer setting"),
    RECO_ENTRY_FIELD(Reserved140, FieldKind::kBytes, kAny, "not set by the tool"),
};
#undef RECO_ENTRY_FIELD

constexpr SettingsField kNumRangeFields[] = {
    {"NumRange", 0, sizeof(DWORD), FieldKind::kHexWord, kAny,
     "recognition range of the numeric mode"},
};
constexpr SettingsField kExtendFields[] = {
    {"ExtendWord0", 0, sizeof(DWORD), FieldKind::kHexWord, kAny, "server setting"},
    {"ExtendSize", sizeof(DWORD), sizeof(DWORD), FieldKind::kWord, kAny,
     "base of the pages' font-size list"},
};

template <size_t N>
constexpr size_t Covered(const SettingsField (&fields)[N]) {
  size_t end = 0;
  for (const SettingsField& field : fields) {
    if (field.offset != end) return 0;
    end += field.size;
  }
  return end;
}
static_assert(Covered(kHeaderFields) == sizeof(HeaderRecord), "header fields");
static_assert(Covered(kEntryFields) == sizeof(LanguageEntry), "entry fields");
static_assert(Covered(kExtendFields) == 2 * sizeof(DWORD), "extension fields");

DWORD WordAt(const BYTE* bytes) {
  DWORD word = 0;
  std::memcpy(&word, bytes, sizeof(word));
  return word;
}

// A decimal or 0x-prefixed hexadecimal word; a leading "-" only when signed.
bool ParseWord(const std::string& text, bool is_signed, DWORD* word) {
  const bool negative = !text.empty() && text[0] == '-';
  const std::string digits = negative ? text.substr(1) : text;
  const bool hex = digits.size() > 2 && digits[0] == '0' && (digits[1] == 'x' || digits[1] == 'X');
  const std::string body = hex ? digits.substr(2) : digits;
  if (body.empty() || (negative && !is_signed)) return false;
  for (char c : body) {
    if (hex ? std::isxdigit(static_cast<unsigned char>(c)) == 0
            : std::isdigit(static_cast<unsigned char>(c)) == 0) {
      return false;
    }
  }
  errno = 0;
  const unsigned long long value = std::strtoull(body.c_str(), nullptr, hex ? 16 : 10);
  if (errno != 0) return false;
  if (negative) {
    if (value > 0x80000000ULL) return false;
    *word = static_cast<DWORD>(0 - value);
    return true;
  }
  if (value > (is_signed ? 0x7FFFFFFFULL : 0xFFFFFFFFULL)) return false;
  *word = static_cast<DWORD>(value);
  return true;
}

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

Json FieldJson(const SettingsField& field, const BYTE* record) {
  const BYTE* bytes = record + field.offset;
  switch (field.kind) {
    case FieldKind::kWord:
      return WordAt(bytes);
    case FieldKind::kSignedWord:
      return static_cast<LONG>(WordAt(bytes));
    default:
      return FieldValueText(field, record);
  }
}

const BYTE* RecordBytes(int record, const PreferenceBlock& block) {
  return reinterpret_cast<const BYTE*>(&block) + kSettingsRecords[record].offset;
}

Json Entry(const PreferenceBlock& block, int index) {
  const LanguageEntry& entry = block.Entries[index];
  const auto* bytes = reinterpret_cast<const BYTE*>(&entry);
  Json json;
  for (const SettingsField& field : kEntryFields) json[field.name] = FieldJson(field, bytes);
  const bool chinese = entry.LangId == kLangSimplifiedChinese;
  if (chinese) json["CharsetName"] = CharsetName(entry.Charset);
  json["RecoRangeBits"] = chinese ? RangeBits(entry.RecoRange, kChineseRangeBits)
                                  : RangeBits(entry.RecoRange, kLatinRangeBits);
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
  json["Header"] = RecordFieldsJson(0, block);
  Json entries = Json::array();
  for (int i = 0; i < kLanguageEntryCount; ++i) entries.push_back(Entry(block, i));
  json["LanguageEntries"] = entries;
  json.update(RecordFieldsJson(kNumRangeRecord, block));
  json["SettingsPath"] = NarrowField(block.SettingsPath);
  json.update(RecordFieldsJson(kSettingsRecordCount - 1, block));
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
    out = JsonAsText(decoded);
  }
  return out;
}

std::string JsonAsText(const Json& value) {
  std::string out;
  AppendText(value, "", &out);
  return out;
}

SettingsFields FieldsOfRecord(int record) {
  switch (record) {
    case 0:
      return {kHeaderFields, sizeof(kHeaderFields) / sizeof(kHeaderFields[0])};
    case 1:
    case 2:
      return {kEntryFields, sizeof(kEntryFields) / sizeof(kEntryFields[0])};
    case kNumRangeRecord:
      return {kNumRangeFields, 1};
    default:
      return {kExtendFields, sizeof(kExtendFields) / sizeof(kExtendFields[0])};
  }
}

std::string FieldDefaultText(int record, const SettingsField& field) {
  DWORD value = 0;
  const bool header_word = record == kOptionRecord && field.kind != FieldKind::kSignedWord &&
                           field.offset != offsetof(HeaderRecord, RecoLangId);
  if (header_word && field.offset == offsetof(HeaderRecord, Hotkey)) {
    value = kDefaultHotkey;
  } else if (header_word) {
    for (const HeaderDefault& word : kHeaderDefaults) {
      if (word.offset == field.offset) value = word.value;
    }
  } else if (record == kNumRangeRecord) {
    value = kDefaultNumRange;
  } else if (record == kExtendRecord) {
    value = field.offset == 0 ? kDefaultExtendWord0 : kDefaultExtendSize;
  } else {
    return "";
  }
  BYTE bytes[sizeof(HeaderRecord)] = {};
  std::memcpy(bytes + field.offset, &value, sizeof(value));
  return FieldValueText(field, bytes);
}

Json RecordFieldsJson(int record, const PreferenceBlock& block) {
  const SettingsFields fields = FieldsOfRecord(record);
  Json json = Json::object();
  for (size_t i = 0; i < fields.count; ++i) {
    json[fields.fields[i].name] = FieldJson(fields.fields[i], RecordBytes(record, block));
  }
  return json;
}

std::string FieldValueText(const SettingsField& field, const BYTE* record) {
  const BYTE* bytes = record + field.offset;
  switch (field.kind) {
    case FieldKind::kWord:
      return std::to_string(WordAt(bytes));
    case FieldKind::kHexWord:
      return Hex(WordAt(bytes));
    case FieldKind::kSignedWord:
      return std::to_string(static_cast<LONG>(WordAt(bytes)));
    case FieldKind::kText:
      return NarrowField(reinterpret_cast<const WCHAR*>(bytes), field.size / sizeof(WCHAR));
    case FieldKind::kBytes:
      break;
  }
  static const char kDigits[] = "0123456789ABCDEF";
  std::string text;
  for (size_t i = 0; i < field.size; ++i) {
    text += kDigits[bytes[i] >> 4];
    text += kDigits[bytes[i] & 0xF];
  }
  return text;
}

bool SetFieldValue(const SettingsField& field, const std::string& value, BYTE* record,
                   std::string* error) {
  BYTE* bytes = record + field.offset;
  if (field.kind == FieldKind::kText) {
    const WString text = Wide(value);
    const size_t units = field.size / sizeof(WCHAR);
    if (text.size() >= units) {
      *error = "takes at most " + std::to_string(units - 1) + " characters, not " +
               std::to_string(text.size());
      return false;
    }
    // The whole field is written, so no byte of a longer old name stays.
    std::memset(bytes, 0, field.size);
    std::copy(text.begin(), text.end(), reinterpret_cast<WCHAR*>(bytes));
    return true;
  }
  if (field.kind == FieldKind::kBytes) {
    if (value.size() != 2 * field.size || !std::all_of(value.begin(), value.end(), [](char c) {
          return std::isxdigit(static_cast<unsigned char>(c)) != 0;
        })) {
      *error = "takes exactly " + std::to_string(2 * field.size) + " hexadecimal digits";
      return false;
    }
    for (size_t i = 0; i < field.size; ++i) {
      bytes[i] = static_cast<BYTE>(std::stoul(value.substr(2 * i, 2), nullptr, 16));
    }
    return true;
  }
  const bool is_signed = field.kind == FieldKind::kSignedWord;
  DWORD word = 0;
  if (!ParseWord(value, is_signed, &word)) {
    *error = "\"" + value + "\" is not " +
             (is_signed ? "a signed 32-bit number" : "an unsigned 32-bit number") +
             " (decimal or 0x...)";
    return false;
  }
  if (!is_signed && word > field.max) {
    *error = "takes at most " + std::to_string(field.max) + ", not " + value;
    return false;
  }
  std::memcpy(bytes, &word, sizeof(word));
  return true;
}
