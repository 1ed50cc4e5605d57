// Runs an edit script decoded from the input against a file opened for
// writing and against a model of the text the writer must produce: an
// ordered list of sections, each an ordered list of keys. After every edit
// the engine's text must equal the model's, character for character, and
// every key must read back with the value the model holds; after closing,
// the file on disk must be exactly the byte-order mark and that text, and
// read back the same when opened for reading. Small rooms make capacity
// failures frequent: a failed edit must leave the text as it was.
//
// In the loose mode, names and values also hold what does not round-trip
// (LF, "]", leading blanks, "=" in keys), which builds texts with comment
// lines, blank lines and stray "[" lines inside sections, and duplicate
// keys. There is no model then; every edit must still keep the text
// consistent, stay within the capacity and change nothing when it fails
// (but for the header the same call may have added), and the file must
// still hold exactly the text after closing.
//
// Input: byte 0 picks the room (bits 0-2) and the loose mode (bit 3); then
// edits, each [op] [section] [key] [value...] (a value only where the op
// takes one).
// op % 6: 0 set, 1 delete key, 2 delete section, 3 set record, 4 close, check
// the text and open it again for writing, 5 nothing (it was a check of the
// share lock, which fuzz_ini_file makes). A value is [length] then one byte per character, or, when
// bit 7 of the length is set, (length & 0x7F) * 8 characters of a pattern.
// A record is [count] bytes following a pattern; op bit 7 passes no bytes.
#include <algorithm>
#include <cstdio>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "fuzz/fuzz_support.h"
#include "ini/ini_file.h"

namespace {

using fuzz_support::EqualNoCase;
using fuzz_support::Show;
using fuzz_support::WString;

// Names are drawn from lists of what must round-trip.
//
// Section names are compared inside the brackets without trimming, so
// blanks, "=", ";", "#" and "[" are all safe there. "]" is not: the header
// "[a]b]" is also the header of section "a". CR and LF would split the line.
const WCHAR* const kSections[] = {u"option", u"Option", u"OPTION", u"a",  u"A",
                                  u"b",      u"a b",    u" a",     u"a ", u"x=y",
                                  u";c",     u"#d",     u"[e",     u"\t", u""};
// A key line is matched after its leading blanks, with optional blanks
// before its "=", and is a comment or the end of the section when it starts
// with ";", "#" or "[". So a key may not start with a blank (it would never
// be found again), end with one ("a " and "a" would be the same key), hold
// "=" (the key ends at the first one) or start with ";", "#" or "[". Blanks
// and those characters inside the name are fine. The empty key stands for
// "no key" and deletes the section.
const WCHAR* const kKeys[] = {u"option", u"Option", u"SCRange", u"scrange", u"LatinRange",
                              u"Extend", u"k",      u"K",       u"a b",     u"a;b",
                              u"a]b",    u"k#",     u"k[1]",    u""};
// Values may hold anything but LF and U+0000, including blanks at either
// end (the writer quotes them), quotes, a CR and units outside ASCII.
const WCHAR kValueChars[] = {u'a', u'Z', u'0', u'9',  u' ',   u'\t',  u'"',   u'=',  u';',
                             u'#', u'[', u']', u'\r', 0x00E9, 0x3042, 0xFEFF, 0xD800};
// The loose mode's names and values: the lists above and what breaks them.
const WCHAR* const kLooseSections[] = {u"option", u"a",  u"A", u"a]b", u"]", u"a\nb",
                                       u"\r",     u" a", u"[", u"b",   u""};
const WCHAR* const kLooseKeys[] = {u"option", u"k",   u"K",  u" k",    u"k ", u"k=v", u";k",
                                   u"#k",     u"[k]", u"\n", u"\r\n[", u"=",  u""};
const WCHAR kLooseValueChars[] = {u'a', u' ', u'"', u'=', u';', u'#', u'[', u']', u'\r', u'\n'};
const DWORD kRooms[] = {65536, 512, 1024, 4096, 2048, 0, 1, 2};
constexpr size_t kMaxEdits = 48;

template <typename T, size_t N>
const T& Pick(const T (&table)[N], uint8_t b) {
  return table[b % N];
}

bool IsBlank(WCHAR c) { return c == u' ' || c == u'\t'; }
bool NeedsQuotes(const WString& v) {
  return !v.empty() && (IsBlank(v.front()) || IsBlank(v.back()));
}

// What a reader gets back for a value the writer stored: the writer quotes
// only values with a blank at either end, so a value that itself begins and
// ends with a quote loses that pair when read.
WString ReadBack(const WString& v) {
  if (NeedsQuotes(v) || v.size() < 2 || v.front() != u'"' || v.back() != u'"') return v;
  return v.substr(1, v.size() - 2);
}

WString RecordText(const std::vector<BYTE>& bytes) {
  static const char kHex[] = "0123456789ABCDEF";
  WString text;
  unsigned sum = 0;
  for (BYTE b : bytes) {
    text.push_back(kHex[b >> 4]);
    text.push_back(kHex[b & 15]);
    sum += b;
  }
  text.push_back(kHex[(sum >> 4) & 15]);
  text.push_back(kHex[sum & 15]);
  return text;
}

class Model {
 public:
  struct Key {
    WString name;
    WString value;
  };
  struct Section {
    WString name;
    std::vector<Key> keys;
  };

  void Reset(DWORD capacity) {
    capacity_ = capacity;
    bom_ = capacity >= 2;
    sections_.clear();
  }

  const std::vector<Section>& Sections() const { return sections_; }

  // Into the caller's string, whose room is kept from one edit to the next.
  void Render(WString* text) const {
    text->clear();
    for (const Section& s : sections_) {
      text->append(u"[").append(s.name).append(u"]\r\n");
      for (const Key& k : s.keys) {
        const WCHAR* quote = NeedsQuotes(k.value) ? u"\"" : u"";
        text->append(k.name).append(u"=").append(quote).append(k.value).append(quote).append(
            u"\r\n");
      }
    }
  }

  // The bytes Render() takes with the byte-order mark, counted without
  // building the text.
  DWORD Used() const {
    size_t chars = 0;
    for (const Section& s : sections_) {
      chars += s.name.size() + 4;
      for (const Key& k : s.keys) {
        chars += k.name.size() + 1 + k.value.size() + (NeedsQuotes(k.value) ? 2 : 0) + 2;
      }
    }
    return (bom_ ? 2 : 0) + static_cast<DWORD>(2 * chars);
  }

  // The edit as the writer must do it, made in place and undone when the
  // text would not fit; a new, empty header stays although its key did not.
  int SetString(const WString& section, const WCHAR* key, const WCHAR* value) {
    if (section.empty()) return 0;
    const bool has_key = key != nullptr && key[0] != 0;
    auto found = std::find_if(sections_.begin(), sections_.end(),
                              [&](const Section& s) { return EqualNoCase(s.name, section); });
    if (found == sections_.end()) {
      if (!has_key) return 1;
      sections_.push_back({section, {}});
      if (!Fits()) {
        sections_.pop_back();
        return 0;
      }
      if (value == nullptr) return 1;
      found = sections_.end() - 1;
    } else if (!has_key) {
      sections_.erase(found);
      return 1;
    }
    std::vector<Key>& keys = found->keys;
    auto old = std::find_if(keys.begin(), keys.end(),
                            [&](const Key& k) { return EqualNoCase(k.name, key); });
    if (value == nullptr) {
      if (old != keys.end()) keys.erase(old);
      return 1;
    }
    if (old == keys.end()) {
      keys.push_back({key, value});
      if (Fits()) return 1;
      keys.pop_back();
      return 0;
    }
    // The line is written anew: the key as the caller spells it now.
    Key saved = {key, value};
    std::swap(*old, saved);
    if (Fits()) return 1;
    std::swap(*old, saved);
    return 0;
  }

 private:
  bool Fits() const { return Used() <= capacity_; }

  std::vector<Section> sections_;
  DWORD capacity_ = 0;
  bool bom_ = false;
};

class Input {
 public:
  Input(const uint8_t* data, size_t size) : data_(data), size_(size) {}
  bool Empty() const { return pos_ >= size_; }
  uint8_t Byte() { return pos_ < size_ ? data_[pos_++] : 0; }

  WString Value(bool loose) {
    const uint8_t length = Byte();
    WString value;
    const size_t count = (length & 0x80) ? (length & 0x7Fu) * 8u : length % 16u;
    const uint8_t seed = (length & 0x80) ? Byte() : 0;
    for (size_t i = 0; i < count; ++i) {
      const uint8_t pick = (length & 0x80) ? static_cast<uint8_t>(seed + i) : Byte();
      value.push_back(loose ? Pick(kLooseValueChars, pick) : Pick(kValueChars, pick));
    }
    return value;
  }

  std::vector<BYTE> Record() {
    const uint8_t count = Byte();
    const uint8_t seed = Byte();
    std::vector<BYTE> bytes(count);
    for (size_t i = 0; i < count; ++i) bytes[i] = static_cast<BYTE>(seed * 31 + i * 7);
    return bytes;
  }

 private:
  const uint8_t* data_;
  size_t size_;
  size_t pos_ = 0;
};

class WriterCheck {
 public:
  // The engine writes into exactly `room` bytes of heap, where a write past
  // the capacity is seen; fuzz_ini_file takes the writer through a file.
  WriterCheck(DWORD room, bool loose)
      : room_(room), loose_(loose), bytes_(new BYTE[room == 0 ? 1 : room]) {}

  void Open() {
    const int opened = ini_.IniOpenMemory(bytes_.get(), 0, GENERIC_WRITE, room_);
    // An empty file cannot be mapped with no size: only a room of 0 fails.
    open_ = room_ != 0;
    FUZZ_CHECK(opened == (open_ ? 1 : 0), "IniOpen for writing, room " + std::to_string(room_));
    model_.Reset(room_);
    if (open_) CheckText([] { return std::string("open"); });
  }

  // A failed edit must leave the text as it was: with a model, CheckText
  // compares it with the model, which the failure left unchanged; without
  // one, with a copy taken before.
  void SetString(const WString& section, const WCHAR* key, const WCHAR* value) {
    if (loose_) {
      const WString before = Text();
      const int result = ini_.IniSetString(section.c_str(), key, value);
      CheckLoose(result, before, section, [] { return std::string("IniSetString"); });
      return;
    }
    const int expected = open_ ? model_.SetString(section, key, value) : 0;
    const int result = ini_.IniSetString(section.c_str(), key, value);
    // Described only when a check fails.
    const auto what = [&] {
      return "IniSetString section=" + Show(section) +
             " key=" + (key ? Show(key, std::char_traits<WCHAR>::length(key)) : "none") +
             " value=" + (value ? Show(value, std::char_traits<WCHAR>::length(value)) : "none");
    };
    FUZZ_CHECK(result == expected, what() + " returned " + std::to_string(result));
    CheckText(what, !section.empty());
    CheckReads(what, &section, key);
  }

  void SetRecord(const WString& section, const WCHAR* key, const std::vector<BYTE>* bytes) {
    const WString before = loose_ ? Text() : WString();
    int expected = 0;
    if (open_ && !loose_) {
      const WString text = bytes != nullptr ? RecordText(*bytes) : WString();
      expected = model_.SetString(section, key, bytes != nullptr ? text.c_str() : nullptr);
    }
    // A record of no bytes is still a record ("00"): pass a real pointer,
    // which an empty vector's data() need not be.
    static const BYTE kNoBytes[1] = {0};
    const BYTE* data = bytes == nullptr ? nullptr : bytes->empty() ? kNoBytes : bytes->data();
    const int result = ini_.IniSetRecord(section.c_str(), key, data,
                                         bytes != nullptr ? static_cast<DWORD>(bytes->size()) : 0);
    const auto what = [&] {
      return "IniSetRecord section=" + Show(section) +
             " key=" + (key ? Show(key, std::char_traits<WCHAR>::length(key)) : "none") +
             " count=" + (bytes ? std::to_string(bytes->size()) : "none");
    };
    if (loose_) {
      CheckLoose(result, before, section, what);
      return;
    }
    FUZZ_CHECK(result == expected, what() + " returned " + std::to_string(result));
    CheckText(what, !section.empty());
    CheckReads(what, &section, key);
  }

  // After closing, the used length holds exactly the byte-order mark and the
  // text, which read back the same through a fresh opening for reading.
  void CloseAndVerify() {
    const WString text = Text();
    const DWORD used = open_ ? ini_.UsedLength() : 0;
    const BOOL closed = ini_.IniClose();
    FUZZ_CHECK((closed != 0) == open_, "IniClose returned " + std::to_string(closed));
    const std::vector<uint8_t> bytes(bytes_.get(), bytes_.get() + used);
    std::vector<uint8_t> expected;
    if (open_ && room_ >= 2) expected = {0xFF, 0xFE};
    for (WCHAR c : text) {
      expected.push_back(static_cast<uint8_t>(c & 0xFF));
      expected.push_back(static_cast<uint8_t>(c >> 8));
    }
    FUZZ_CHECK(bytes == expected, "file bytes differ from the text, size " +
                                      std::to_string(bytes.size()) + " expected " +
                                      std::to_string(expected.size()));

    FUZZ_CHECK(ini_.IniOpenMemory(bytes_.get(), used, GENERIC_READ, 0) == 1, "reopen for reading");
    FUZZ_CHECK(Text() == text, "reopened text " + Show(Text()) + " expected " + Show(text));
    // Open for reading, the file takes no edits.
    FUZZ_CHECK(ini_.IniSetString(u"option", u"k", u"v") == 0 && Text() == text,
               "edit of a file open for reading");
    if (open_ && !loose_) {
      CheckText([] { return std::string("reopened"); });
      CheckReads([] { return std::string("reopened"); });
    }
    FUZZ_CHECK(ini_.IniClose() != 0, "close after reading");
    open_ = false;
  }

 private:
  WString Text() const { return WString(View()); }
  std::basic_string_view<WCHAR> View() const {
    if (!ini_.IsOpen()) return {};
    return {ini_.TextStart(), static_cast<size_t>(ini_.TextEnd() - ini_.TextStart())};
  }

  // Without a model: the result is 0 or 1, the text stays consistent and
  // within the capacity, and a failed edit leaves at most the new header.
  template <typename Call>
  void CheckLoose(int result, const WString& before, const WString& section, const Call& call) {
    const auto what = [&] { return call() + " section=" + Show(section); };
    FUZZ_CHECK(result == 0 || result == 1, what() + " returned " + std::to_string(result));
    if (!open_) {
      FUZZ_CHECK(result == 0 && !ini_.IsOpen(), what() + " on a file that failed to open");
      return;
    }
    const WString after = Text();
    if (result == 0) {
      const WString header = u"[" + section + u"]\r\n";
      FUZZ_CHECK(after == before || after == before + header || after == before + u"\r\n" + header,
                 what() + " failed but changed the text to " + Show(after));
    }
    const DWORD bom = room_ >= 2 ? 2 : 0;
    FUZZ_CHECK(ini_.UsedLength() == bom + 2 * after.size() && ini_.UsedLength() <= ini_.Capacity(),
               what() + ": used length " + std::to_string(ini_.UsedLength()) + " for " +
                   std::to_string(after.size()) + " characters, capacity " +
                   std::to_string(ini_.Capacity()));
    if (!section.empty()) {
      FUZZ_CHECK(ini_.SectionHint() == ini_.TextStart(), what() + ": hint not at the text start");
    }
  }

  // `edited`: the call got past its checks and so put the hint back at the
  // text start; a call refused for its empty section name leaves it alone.
  template <typename What>
  void CheckText(const What& what, bool edited = false) {
    if (!open_) {
      FUZZ_CHECK(!ini_.IsOpen(), what() + ": open after a failed opening");
      return;
    }
    model_.Render(&rendered_);
    const WString& expected = rendered_;
    if (View() != expected) {
      const WString text = Text();
      size_t at = 0;
      while (at < text.size() && at < expected.size() && text[at] == expected[at]) ++at;
      FUZZ_CHECK(text == expected, what() + ": text differs at " + std::to_string(at) + "\n  got " +
                                       Show(text) + "\n  expected " + Show(expected));
    }
    FUZZ_CHECK(ini_.UsedLength() == model_.Used(),
               what() + ": used length " + std::to_string(ini_.UsedLength()) + " expected " +
                   std::to_string(model_.Used()));
    if (edited) {
      FUZZ_CHECK(ini_.SectionHint() == ini_.TextStart(), what() + ": hint not at the text start");
    }
  }

  int GetString(const WCHAR* section, const WCHAR* key, const WCHAR* default_text, WString* out) {
    const int size = static_cast<int>(sizeof dest_ / sizeof dest_[0]);
    const int result = ini_.IniGetString(section, key, default_text, dest_, size);
    out->assign(dest_, result >= 0 ? static_cast<size_t>(result) : 0);
    return result;
  }

  // Every name is listed in order, and every key of `only` (or, without it,
  // of every section) reads back with its value; reading changes nothing in
  // the text. After an edit only its section and key are read back: the
  // text was compared whole with the model, so the rest reads as it did
  // before, and reading every key after every edit made the reads most of
  // a run's time. Every key is read again after each close. Called after
  // CheckText, whose rendering of the model the text still equals.
  template <typename What>
  void CheckReads(const What& what, const WString* only = nullptr,
                  const WCHAR* only_key = nullptr) {
    if (!open_) return;
    // The names a list must give: the sections', then each section's keys.
    WString& names = names_;
    names.clear();
    for (const Model::Section& s : model_.Sections()) names.append(s.name).push_back(0);
    WString& got = got_;
    const int listed = GetString(nullptr, nullptr, nullptr, &got);
    FUZZ_CHECK(listed == static_cast<int>(names.size()) && got == names,
               what() + ": section list " + Show(got) + " expected " + Show(names));
    for (const Model::Section& s : model_.Sections()) {
      if (only != nullptr && !EqualNoCase(s.name, *only)) continue;
      names.clear();
      for (const Model::Key& k : s.keys) names.append(k.name).push_back(0);
      GetString(s.name.c_str(), nullptr, nullptr, &got);
      FUZZ_CHECK(got == names, what() + ": key list of " + Show(s.name) + " " + Show(got) +
                                   " expected " + Show(names));
      for (const Model::Key& k : s.keys) {
        if (only_key != nullptr && !EqualNoCase(k.name, only_key)) continue;
        const WString expected = ReadBack(k.value);
        const int result = GetString(s.name.c_str(), k.name.c_str(), u"DEF", &got);
        FUZZ_CHECK(result == static_cast<int>(expected.size()) && got == expected,
                   what() + ": [" + Show(s.name) + "] " + Show(k.name) + " read " + Show(got) +
                       " expected " + Show(expected));
      }
      // A key that is not there gives the default.
      for (const WCHAR* key : kKeys) {
        if (key[0] == 0 || (only_key != nullptr && !EqualNoCase(key, only_key))) continue;
        const bool present = std::any_of(s.keys.begin(), s.keys.end(), [&](const Model::Key& k) {
          return EqualNoCase(k.name, key);
        });
        if (!present) {
          FUZZ_CHECK(GetString(s.name.c_str(), key, u"DEF", &got) == 3 && got == u"DEF",
                     what() + ": missing key " + Show(key, std::char_traits<WCHAR>::length(key)) +
                         " read " + Show(got));
        }
      }
    }
    FUZZ_CHECK(View() == rendered_, what() + ": reading changed the text");
  }

  const DWORD room_;
  const bool loose_;
  std::unique_ptr<BYTE[]> bytes_;
  WCHAR dest_[2048];
  IniFile ini_;
  Model model_;
  bool open_ = false;
  // Kept from one check to the next for their room.
  WString rendered_;
  WString names_;
  WString got_;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  Input input(data, size);
  const uint8_t mode = input.Byte();
  const bool loose = (mode & 0x08) != 0;
  WriterCheck check(Pick(kRooms, mode), loose);
  check.Open();
  for (size_t edit = 0; edit < kMaxEdits && !input.Empty(); ++edit) {
    const uint8_t op = input.Byte();
    const uint8_t section_pick = input.Byte();
    const uint8_t key_pick = input.Byte();
    const WString section =
        loose ? Pick(kLooseSections, section_pick) : Pick(kSections, section_pick);
    const WCHAR* key = loose ? Pick(kLooseKeys, key_pick) : Pick(kKeys, key_pick);
    switch (op % 6) {
      case 0: {
        const WString value = input.Value(loose);
        check.SetString(section, key, value.c_str());
        break;
      }
      case 1:
        check.SetString(section, key, nullptr);
        break;
      case 2: {
        // Deleting a section: no key or an empty one; a value changes nothing.
        const WString value = input.Value(loose);
        check.SetString(section, (op & 0x40) ? u"" : nullptr,
                        (op & 0x80) ? value.c_str() : nullptr);
        break;
      }
      case 3: {
        const std::vector<BYTE> bytes = input.Record();
        check.SetRecord(section, key, (op & 0x80) ? nullptr : &bytes);
        break;
      }
      case 4:
        check.CloseAndVerify();
        check.Open();
        break;
      case 5:
        // Was: the file held exclusively. The share lock is fuzz_ini_file's
        // to check; the op stays so that the corpus keeps its meaning.
        break;
    }
  }
  check.CloseAndVerify();
  return 0;
}
