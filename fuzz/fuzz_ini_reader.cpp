// Feeds arbitrary bytes to the engine as an INI file and asks every question
// a loader can ask: the section list, the key list of every listed section,
// every key's value through destinations of several sizes and with several
// defaults, integers and byte records. Each answer is compared with a plain
// reference reader written from the format rules over std::basic_string,
// including where the section hint ends up. The lookup steps also run on an
// exactly sized heap copy of the text, where AddressSanitizer sees a read
// past its end that the mapped view would hide in the rest of its page.
#include <algorithm>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "fuzz/fuzz_support.h"
#include "ini/ini_file.h"

namespace {

using fuzz_support::Show;
using fuzz_support::WString;

constexpr size_t kNone = static_cast<size_t>(-1);
// Bounds on the work per input, so that a large input stays a fast one.
constexpr size_t kMaxSections = 8;
constexpr size_t kMaxKeys = 8;

bool IsBlank(WCHAR c) { return c == u' ' || c == u'\t'; }
// `name` at `pos` of `line` (which holds it whole), ASCII letters without case.
bool EqualNoCaseAt(const WString& line, size_t pos, const WString& name) {
  for (size_t i = 0; i < name.size(); ++i) {
    if (fuzz_support::FoldAscii(line[pos + i]) != fuzz_support::FoldAscii(name[i])) return false;
  }
  return true;
}
bool IsComment(const WString& line) {
  return !line.empty() && (line[0] == u';' || line[0] == u'#');
}

struct Value {
  bool blank = true;  // nothing but blanks after the "=": the integer default applies
  WString text;       // what a lookup returns
};

// The format rules over a text split into lines once.
class ReferenceText {
 public:
  struct Line {
    size_t offset;  // of its first character in the text
    WString text;   // without CR LF
  };

  explicit ReferenceText(const WString& text) {
    size_t pos = 0;
    while (pos < text.size()) {
      const size_t lf = text.find(u'\n', pos);
      if (lf == WString::npos) {
        lines_.push_back({pos, text.substr(pos)});
        break;
      }
      size_t end = lf;
      if (end > pos && text[end - 1] == u'\r') --end;
      lines_.push_back({pos, text.substr(pos, end - pos)});
      pos = lf + 1;
    }
  }

  const std::vector<Line>& Lines() const { return lines_; }
  size_t HintOffset() const { return lines_.empty() ? 0 : lines_[hint_].offset; }

  static bool IsHeaderFor(const WString& line, const WString& name) {
    const size_t n = name.size();
    return line.size() >= n + 2 && line.size() >= 3 && line[0] == u'[' && line[n + 1] == u']' &&
           EqualNoCaseAt(line, 1, name);
  }

  size_t FindHeader(const WString& name, size_t from, size_t to) const {
    for (size_t i = from; i < to; ++i) {
      if (IsHeaderFor(lines_[i].text, name)) return i;
    }
    return kNone;
  }

  // From the hint to the end, then from the start to the hint; a header
  // found becomes the hint.
  size_t FindHeaderWithHint(const WString& name) {
    size_t found = FindHeader(name, hint_, lines_.size());
    if (found == kNone) found = FindHeader(name, 0, hint_);
    if (found != kNone) hint_ = found;
    return found;
  }

  size_t FindKey(const WString& key, size_t header) const {
    for (size_t i = header + 1; i < lines_.size(); ++i) {
      const WString& line = lines_[i].text;
      if (line.empty() || IsComment(line)) continue;
      if (line[0] == u'[') return kNone;
      size_t p = 0;
      while (p < line.size() && IsBlank(line[p])) ++p;
      if (line.size() - p < key.size() + 1 || !EqualNoCaseAt(line, p, key)) {
        continue;
      }
      size_t q = p + key.size();
      while (q < line.size() && IsBlank(line[q])) ++q;
      if (q < line.size() && line[q] == u'=') return i;
    }
    return kNone;
  }

  static Value ValueOf(const WString& line) {
    const size_t equals = line.find(u'=');
    size_t begin = equals == WString::npos ? line.size() : equals + 1;
    while (begin < line.size() && IsBlank(line[begin])) ++begin;
    if (begin == line.size()) return {true, WString()};
    size_t end = line.size();
    while (end > begin && IsBlank(line[end - 1])) --end;
    if (end - begin >= 2 && line[begin] == u'"' && line[end - 1] == u'"') {
      ++begin;
      --end;
    }
    return {false, line.substr(begin, end - begin)};
  }

  // A list as the destination holds it: names, each with its zero, then
  // the final zero; *result is the count before that final zero.
  void SectionList(int size, std::vector<WCHAR>* list, int* result) const {
    std::vector<WCHAR>& out = *list;
    out.clear();
    for (const Line& line : lines_) {
      const WString& t = line.text;
      if (t.size() < 3 || t[0] != u'[') continue;
      const size_t close = t.find(u']', 1);
      if (close == WString::npos) continue;
      if (!Add(&out, t.substr(1, close - 1), size)) break;
    }
    *result = static_cast<int>(out.size());
    out.push_back(0);
  }

  void KeyList(size_t header, int size, std::vector<WCHAR>* list, int* result) const {
    std::vector<WCHAR>& out = *list;
    out.clear();
    for (size_t i = header + 1; i < lines_.size(); ++i) {
      const WString& t = lines_[i].text;
      if (t.empty() || IsComment(t)) continue;
      if (t[0] == u'[') break;
      const size_t equals = t.find(u'=');
      if (equals == WString::npos || equals == 0) continue;
      size_t begin = 0;
      size_t end = equals;
      while (begin < end && IsBlank(t[begin])) ++begin;
      while (end > begin && IsBlank(t[end - 1])) --end;
      if (end == begin) continue;
      if (!Add(&out, t.substr(begin, end - begin), size)) break;
    }
    *result = static_cast<int>(out.size());
    out.push_back(0);
  }

 private:
  static bool Add(std::vector<WCHAR>* out, const WString& name, int size) {
    if (static_cast<long long>(out->size() + name.size()) + 2 > size) return false;
    out->insert(out->end(), name.begin(), name.end());
    out->push_back(0);
    return true;
  }

  std::vector<Line> lines_;
  size_t hint_ = 0;
};

// The names of a list, in order.
std::vector<WString> SplitList(const std::vector<WCHAR>& list) {
  std::vector<WString> names;
  WString current;
  for (size_t i = 0; i + 1 < list.size(); ++i) {
    if (list[i] == 0) {
      names.push_back(current);
      current.clear();
    } else {
      current.push_back(list[i]);
    }
  }
  return names;
}

std::string Describe(const WString* section, const WString* key, const WString* default_text,
                     int size) {
  auto show = [](const WString* s) { return s == nullptr ? std::string("none") : Show(*s); };
  char numbers[32];
  std::snprintf(numbers, sizeof numbers, " size=%d", size);
  return "section=" + show(section) + " key=" + show(key) + " default=" + show(default_text) +
         numbers;
}

const WCHAR* Ptr(const WString* s) { return s == nullptr ? nullptr : s->c_str(); }

class ReaderCheck {
 public:
  ReaderCheck(IniFile* ini, const WString& text)
      : ini_(ini),
        ref_(text),
        size_(text.size()),
        copy_(new WCHAR[text.empty() ? 1 : text.size()]) {
    std::copy(text.begin(), text.end(), copy_.get());
  }

  // IniGetString against the reference, through a heap destination of
  // exactly `size` characters.
  void GetString(const WString* section, const WString* key, const WString* default_text,
                 int size) {
    // The expected destination is built in a buffer kept across calls: most
    // of a run's time would otherwise go to the sanitizer's allocator.
    std::vector<WCHAR>& expected = expected_;
    expected.clear();
    int expected_result = 0;
    if (section == nullptr) {
      ref_.SectionList(size, &expected, &expected_result);
    } else if (default_text != nullptr && default_text->size() >= static_cast<size_t>(size)) {
      expected_result = kIniDefaultTooLong;
      expected.assign(default_text->begin(), default_text->begin() + (size - 1));
      expected.push_back(0);
    } else {
      const size_t header = ref_.FindHeaderWithHint(*section);
      size_t line = kNone;
      if (header != kNone && key == nullptr) {
        ref_.KeyList(header, size, &expected, &expected_result);
      } else {
        if (header != kNone) line = ref_.FindKey(*key, header);
        const WCHAR* value = nullptr;
        size_t length = 0;
        Value found;
        if (line != kNone) {
          found = ReferenceText::ValueOf(ref_.Lines()[line].text);
          value = found.text.data();
          length = found.text.size();
        } else if (default_text != nullptr) {
          value = default_text->data();
          length = default_text->size();
        }
        const size_t count = std::min(length, static_cast<size_t>(size - 1));
        if (count > 0) expected.assign(value, value + count);
        expected.push_back(0);
        expected_result = static_cast<int>(count);
      }
    }

    std::unique_ptr<WCHAR[]> dest(new WCHAR[size]);
    for (int i = 0; i < size; ++i) dest[i] = 0xBEEF;
    const int result =
        ini_->IniGetString(Ptr(section), Ptr(key), Ptr(default_text), dest.get(), size);
    const auto what = [&] { return Describe(section, key, default_text, size); };
    FUZZ_CHECK(result >= kIniDefaultTooLong && result <= size - 1,
               what() + " result " + std::to_string(result));
    FUZZ_CHECK(result == expected_result, what() + " result " + std::to_string(result) +
                                              " expected " + std::to_string(expected_result));
    FUZZ_CHECK(expected.size() <= static_cast<size_t>(size), what());
    FUZZ_CHECK(std::equal(expected.begin(), expected.end(), dest.get()),
               what() + " destination " + Show(dest.get(), expected.size()) + " expected " +
                   Show(expected.data(), expected.size()));
    CheckHint(what);
  }

  void GetInt(const WString& section, const WString& key, int default_value) {
    int expected = default_value;
    const size_t header = ref_.FindHeaderWithHint(section);
    const size_t line = header == kNone ? kNone : ref_.FindKey(key, header);
    if (line != kNone) {
      const Value value = ReferenceText::ValueOf(ref_.Lines()[line].text);
      if (!value.blank) expected = static_cast<int>(_wtol(value.text.substr(0, 31).c_str()));
    }
    const int result = ini_->IniGetInt(section.c_str(), key.c_str(), default_value);
    const auto what = [&] { return Describe(&section, &key, nullptr, 0); };
    FUZZ_CHECK(result == expected, what() + " IniGetInt " + std::to_string(result) + " expected " +
                                       std::to_string(expected));
    CheckHint(what);
  }

  // The lookup steps with explicit ranges, on an exact heap copy of the text
  // (the opened bytes go on after the text when it ends at a U+0000).
  void Steps(const WString& section, const WString& key) {
    const WCHAR* const copy_start = copy_.get();
    const WCHAR* end = copy_start + size_;
    IniFile steps;  // never opened: the steps work on the ranges they are given
    const auto what = [&] { return Describe(&section, &key, nullptr, 0); };

    const size_t header = ref_.FindHeader(section, 0, ref_.Lines().size());
    const WCHAR* found = steps.FindSection(section.c_str(), copy_start, end);
    FUZZ_CHECK((found == nullptr) == (header == kNone), what() + " FindSection");
    if (found == nullptr) return;
    FUZZ_CHECK(static_cast<size_t>(found - copy_start) == ref_.Lines()[header].offset,
               what() + " FindSection offset");

    const size_t line = ref_.FindKey(key, header);
    const WCHAR* key_line = steps.FindKey(key.c_str(), found, end);
    FUZZ_CHECK((key_line == nullptr) == (line == kNone), what() + " FindKey");
    if (key_line == nullptr) return;
    FUZZ_CHECK(static_cast<size_t>(key_line - copy_start) == ref_.Lines()[line].offset,
               what() + " FindKey offset");

    const Value value = ReferenceText::ValueOf(ref_.Lines()[line].text);
    for (int size : {1, 3, 64}) {
      std::unique_ptr<WCHAR[]> dest(new WCHAR[size]);
      const int result = steps.ReadValue(key_line, end, dest.get(), size);
      const size_t count = std::min(value.text.size(), static_cast<size_t>(size - 1));
      FUZZ_CHECK(result == static_cast<int>(count) && dest[count] == 0 &&
                     std::equal(value.text.begin(), value.text.begin() + count, dest.get()),
                 what() + " ReadValue " + Show(dest.get(), count));
    }
    const int number = steps.ReadValue(key_line, end, nullptr, -77);
    const int expected =
        value.blank ? -77 : static_cast<int>(_wtol(value.text.substr(0, 31).c_str()));
    FUZZ_CHECK(number == expected, what() + " ReadValue as integer " + std::to_string(number));

    // A byte record: pairs of hexadecimal digits of either case.
    for (size_t i = 0; i + 1 < value.text.size(); i += 2) {
      BYTE byte = 0xA5;
      const int parsed = ParseHexByte(value.text.c_str() + i, &byte);
      const int high = HexValue(value.text[i]);
      const int low = HexValue(value.text[i + 1]);
      const bool valid = high >= 0 && low >= 0;
      FUZZ_CHECK(parsed == (valid ? 1 : 0), what() + " ParseHexByte at " + std::to_string(i));
      if (valid) FUZZ_CHECK(byte == high * 16 + low, what() + " ParseHexByte value");
    }
  }

 private:
  static int HexValue(WCHAR c) {
    const WString digits = u"0123456789abcdef";
    const size_t at = digits.find(fuzz_support::FoldAscii(c));
    return at == WString::npos ? -1 : static_cast<int>(at);
  }

  // `what` describes the call; it is built only when a check fails.
  template <typename What>
  void CheckHint(const What& what) {
    FUZZ_CHECK(
        ini_->SectionHint() != nullptr &&
            static_cast<size_t>(ini_->SectionHint() - ini_->TextStart()) == ref_.HintOffset(),
        what() + " section hint at " + std::to_string(ini_->SectionHint() - ini_->TextStart()) +
            ", expected " + std::to_string(ref_.HintOffset()));
  }

  IniFile* ini_;
  ReferenceText ref_;
  size_t size_;
  std::unique_ptr<WCHAR[]> copy_;
  std::vector<WCHAR> expected_;
};

// The text as the engine should see it: UTF-16LE units up to the first zero,
// without a leading byte-order mark.
WString ExpectedText(const uint8_t* data, size_t size, DWORD* used_length) {
  WString units;
  for (size_t i = 0; i + 1 < size; i += 2) {
    const WCHAR unit = static_cast<WCHAR>(data[i] | (data[i + 1] << 8));
    if (unit == 0) break;
    units.push_back(unit);
  }
  *used_length = static_cast<DWORD>(2 * units.size());
  if (!units.empty() && units[0] == 0xFEFF) units.erase(0, 1);
  return units;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // The engine reads the bytes in memory, from an exactly sized copy, so that
  // a read past their end is seen; fuzz_ini_file takes the same bytes through
  // a file and its mapping.
  std::unique_ptr<BYTE[]> bytes(new BYTE[size == 0 ? 1 : size]);
  std::copy(data, data + size, bytes.get());
  IniFile ini;
  const int opened = ini.IniOpenMemory(bytes.get(), static_cast<DWORD>(size), GENERIC_READ, 0);
  if (size % 2 != 0) {
    // An odd size is no UTF-16 file: nothing opens, every lookup answers
    // "no file" and leaves the default.
    FUZZ_CHECK(opened == 0 && !ini.IsOpen(), "odd size opened");
    WCHAR dest[8];
    FUZZ_CHECK(
        ini.IniGetString(u"a", u"b", u"dflt", dest, 8) == kIniNoFile && WString(dest) == u"dflt",
        "lookup on a closed file");
    FUZZ_CHECK(ini.IniGetInt(u"a", u"b", 42) == 42, "integer on a closed file");
    FUZZ_CHECK(ini.IniClose() == 0, "closing a closed file");
    return 0;
  }
  FUZZ_CHECK(opened == 1 && ini.IsOpen(), "even size did not open");

  DWORD used_length = 0;
  const WString text = ExpectedText(data, size, &used_length);
  FUZZ_CHECK(ini.UsedLength() == used_length, "used length " + std::to_string(ini.UsedLength()));
  FUZZ_CHECK(ini.TextStart() <= ini.TextEnd() && WString(ini.TextStart(), ini.TextEnd()) == text,
             "text range " + Show(WString(ini.TextStart(), ini.TextEnd())));

  // Sizes: the smallest, a few from the input, and a loader's usual buffer.
  const int small = 3 + (size > 0 ? data[0] % 13 : 0);
  const int whole = static_cast<int>(text.size()) + 2;
  const int sizes[] = {1, 2, small, 260};

  ReaderCheck check(&ini, text);
  for (int list_size : {1, 2, small, whole}) check.GetString(nullptr, nullptr, nullptr, list_size);

  const ReferenceText plain(text);  // for candidate names; its hint is never used
  int count = 0;
  std::vector<WCHAR> list;
  plain.SectionList(whole, &list, &count);
  std::vector<WString> sections = SplitList(list);
  if (sections.size() > kMaxSections) sections.resize(kMaxSections);
  // Names that no list gives: the empty name and ones that are rarely there.
  sections.push_back(u"");
  sections.push_back(u"option");

  size_t turn = 0;
  for (const WString& section : sections) {
    for (int list_size : {1, small, whole}) check.GetString(&section, nullptr, nullptr, list_size);
    const size_t header = plain.FindHeader(section, 0, plain.Lines().size());
    std::vector<WString> keys;
    if (header != kNone) {
      plain.KeyList(header, whole, &list, &count);
      keys = SplitList(list);
    }
    if (keys.size() > kMaxKeys) keys.resize(kMaxKeys);
    keys.push_back(u"");
    keys.push_back(u"Size");

    for (const WString& key : keys) {
      // Each key gets one destination size and two kinds of default (none or
      // a short one, one that just fits or one too long), taking turns: all
      // pairs are met over a file's keys at an eighth of the lookups.
      const int dest_size = sizes[turn % (sizeof sizes / sizeof sizes[0])];
      const bool odd = (turn / 4) % 2 != 0;
      ++turn;
      const WString fits(static_cast<size_t>(dest_size - 1), u'd');
      const WString too_long(static_cast<size_t>(dest_size), u'D');
      const WString short_default = u"dflt";
      check.GetString(&section, &key, odd ? &short_default : nullptr, dest_size);
      check.GetString(&section, &key, odd ? &too_long : &fits, dest_size);
      check.GetInt(section, key, -5);
      check.Steps(section, key);
    }
  }

  // No destination, or no room in it, is refused before anything is read.
  WCHAR one = 0x1234;
  FUZZ_CHECK(ini.IniGetString(u"a", u"b", nullptr, nullptr, 10) == kIniBadDestination,
             "no destination");
  FUZZ_CHECK(ini.IniGetString(u"a", u"b", u"x", &one, 0) == kIniBadDestination && one == 0x1234,
             "size 0");
  FUZZ_CHECK(ini.IniClose() != 0 && !ini.IsOpen(), "close");
  return 0;
}
