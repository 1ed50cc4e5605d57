// Shared by the INI engine's tests: files and memory made from UTF-8 text.
#ifndef RECO_TESTS_INI_INI_TEST_UTIL_H_
#define RECO_TESTS_INI_INI_TEST_UTIL_H_

#include <string>

#include "ini/ini_file.h"
#include "tests/test_support.h"

namespace ini_test {

using test_support::WString;

// Writes `utf8` as UTF-16LE with a byte-order mark to "test.ini" in `dir`
// and returns the file's system path.
inline WString WriteIni(const test_support::TempDir& dir, const std::string& utf8) {
  WString path = dir / TEXT("test.ini");
  test_support::WriteFileBytes(path, test_support::Utf16Bytes(test_support::FromUtf8(utf8)));
  return path;
}

// The current text of an open file, as UTF-8.
inline std::string Text(const IniFile& ini) {
  return test_support::ToUtf8(WString(ini.TextStart(), ini.TextEnd()));
}

inline WString W(const std::string& utf8) { return test_support::FromUtf8(utf8); }

// An IniFile on memory of exactly the size it needs: for reading, `utf8` as
// UTF-16LE with a byte-order mark (nullptr: nothing open); for writing,
// `room` bytes.
class MemoryIni : public IniFile {
 public:
  explicit MemoryIni(const char* utf8) {
    if (utf8 == nullptr) return;
    bytes_ = test_support::Utf16Bytes(W(utf8));
    IniOpenMemory(bytes_.data(), static_cast<DWORD>(bytes_.size()), GENERIC_READ, 0);
  }
  explicit MemoryIni(DWORD room) : bytes_(room) {
    IniOpenMemory(bytes_.data(), 0, GENERIC_WRITE, room);
  }
  ~MemoryIni() { IniClose(); }

 private:
  test_support::Bytes bytes_;
};

// The wide text of `utf8`, or nullptr for nullptr.
struct OptionalText {
  explicit OptionalText(const char* utf8) : absent(utf8 == nullptr), text(W(absent ? "" : utf8)) {}
  const WCHAR* get() const { return absent ? nullptr : text.c_str(); }
  bool absent;
  WString text;
};

}  // namespace ini_test

#endif  // RECO_TESTS_INI_INI_TEST_UTIL_H_
