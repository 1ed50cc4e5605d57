// The engine through a file and its mapping, where the other two targets
// work on memory. The input's bytes are written to a file and opened for
// reading through the platform's mapping; every answer must equal the answer
// on the same bytes opened in memory (fuzz_ini_reader checks those against
// the format rules). While the reader holds the file no writer gets it.
// Then a writer re-creates the file with a room picked by the input and
// stores a few of the values read; after closing, the file holds exactly
// the byte-order mark and the text the writer had in its view. It is not
// mapped again to be read back: the first half of the target checks reading
// through a mapping for any bytes, those included, and the extra mapping
// cost a quarter of each run.
#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "fuzz/fuzz_support.h"
#include "ini/ini_file.h"

namespace {

using fuzz_support::Show;
using fuzz_support::WString;

// Small rooms: the writer's code is the same for the system's 64 KiB, whose zeros
// would be most of the run's writing.
const DWORD kRooms[] = {0, 1, 2, 64, 512, 4096};
constexpr size_t kMaxNames = 4;  // sections, and keys of each, asked through both openings
constexpr int kListSize = 4096;

WString Text(const IniFile& ini) {
  return ini.IsOpen() ? WString(ini.TextStart(), ini.TextEnd()) : WString();
}

// The names of a list as IniGetString writes it, at most kMaxNames.
std::vector<WString> Names(const WCHAR* list, int count) {
  std::vector<WString> names;
  for (const WCHAR* p = list; p < list + count && names.size() < kMaxNames;) {
    const WString name(p);
    names.push_back(name);
    p += name.size() + 1;
  }
  return names;
}

class Lookups {
 public:
  Lookups(IniFile* mapped, IniFile* memory) : mapped_(mapped), memory_(memory) {}

  // The same call on both openings: the same result, destination and hint.
  int Get(const WCHAR* section, const WCHAR* key, int size) {
    const int a = mapped_->IniGetString(section, key, u"dflt", a_, size);
    const int b = memory_->IniGetString(section, key, u"dflt", b_, size);
    const auto what = [&] {
      return "section=" +
             (section ? Show(section, std::char_traits<WCHAR>::length(section))
                      : std::string("none")) +
             " key=" +
             (key ? Show(key, std::char_traits<WCHAR>::length(key)) : std::string("none"));
    };
    FUZZ_CHECK(a == b, what() + " mapped " + std::to_string(a) + " memory " + std::to_string(b));
    const size_t used = a >= 0 ? static_cast<size_t>(a) + 1 : 0;
    FUZZ_CHECK(std::equal(a_, a_ + used, b_), what() + " mapped " + Show(a_, used));
    FUZZ_CHECK(mapped_->SectionHint() - mapped_->TextStart() ==
                   memory_->SectionHint() - memory_->TextStart(),
               what() + " section hint");
    return a;
  }
  const WCHAR* Result() const { return a_; }

 private:
  IniFile* mapped_;
  IniFile* memory_;
  WCHAR a_[kListSize];
  WCHAR b_[kListSize];
};

struct Edit {
  WString section;
  WString key;
  WString value;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const fuzz_support::ScratchFile file = fuzz_support::MakeScratchFile("file.ini");
  const WCHAR* const path = file.system_path.c_str();
  FUZZ_CHECK(fuzz_support::WriteHostFile(file.host_path, data, size), file.host_path);
  std::vector<BYTE> bytes(data, data + size);
  bytes.push_back(0);  // a real pointer for an empty input; not part of the size

  IniFile mapped;
  IniFile memory;
  const int opened = mapped.IniOpen(path, GENERIC_READ, 0);
  FUZZ_CHECK(
      opened == memory.IniOpenMemory(bytes.data(), static_cast<DWORD>(size), GENERIC_READ, 0),
      "opened " + std::to_string(opened) + " for " + std::to_string(size) + " bytes");
  if (opened == 0) return 0;
  FUZZ_CHECK(mapped.UsedLength() == memory.UsedLength() && Text(mapped) == Text(memory),
             "mapped text " + Show(Text(mapped)));

  // Lookups through both, and the edits the writer will make from them.
  Lookups lookups(&mapped, &memory);
  std::vector<Edit> edits;
  const std::vector<WString> sections =
      Names(lookups.Result(), lookups.Get(nullptr, nullptr, kListSize));
  for (const WString& section : sections) {
    const std::vector<WString> keys =
        Names(lookups.Result(), lookups.Get(section.c_str(), nullptr, kListSize));
    for (const WString& key : keys) {
      lookups.Get(section.c_str(), key.c_str(), 7);
      lookups.Get(section.c_str(), key.c_str(), 260);
      edits.push_back({section, key, lookups.Result()});
    }
  }

  // A file open for reading admits no writer, and the reader keeps its text.
  const DWORD room = kRooms[(size > 0 ? data[0] : 0) % (sizeof kRooms / sizeof kRooms[0])];
  IniFile writer;
  FUZZ_CHECK(writer.IniOpen(path, GENERIC_WRITE, room) == 0 && !writer.IsOpen(),
             "a writer opened a file held for reading");
  FUZZ_CHECK(Text(mapped) == Text(memory), "the reader lost its text");
  FUZZ_CHECK(mapped.IniClose() != 0, "closing the reader");

  // A writer without room fails, as a mapping of no size does.
  const int written = writer.IniOpen(path, GENERIC_WRITE, room);
  FUZZ_CHECK(written == (room != 0 ? 1 : 0), "writer with room " + std::to_string(room));
  if (written == 0) return 0;
  for (const Edit& edit : edits) {
    writer.IniSetString(edit.section.c_str(), edit.key.c_str(), edit.value.c_str());
  }
  const WString text = Text(writer);
  const DWORD used = writer.UsedLength();
  FUZZ_CHECK(writer.IniClose() != 0, "closing the writer");

  std::vector<uint8_t> on_disk;
  FUZZ_CHECK(fuzz_support::ReadHostFile(file.host_path, &on_disk), file.host_path);
  std::vector<uint8_t> expected;
  if (room >= 2) expected = {0xFF, 0xFE};
  for (WCHAR c : text) {
    expected.push_back(static_cast<uint8_t>(c & 0xFF));
    expected.push_back(static_cast<uint8_t>(c >> 8));
  }
  FUZZ_CHECK(on_disk == expected && on_disk.size() == used,
             "file of " + std::to_string(on_disk.size()) + " bytes, text " + Show(text));
  return 0;
}
