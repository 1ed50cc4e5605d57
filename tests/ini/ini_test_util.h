// Shared by the INI engine's tests: files made from UTF-8 text.
#ifndef RECO_TESTS_INI_INI_TEST_UTIL_H_
#define RECO_TESTS_INI_INI_TEST_UTIL_H_

#include <string>

#include "ini/ini_file.h"
#include "tests/test_support.h"

namespace ini_test {

using test_support::WString;

// Writes `utf8` as UTF-16LE (with a byte-order mark when `bom`) to `name` in
// `dir` and returns the file's system path.
inline WString WriteIni(const test_support::TempDir& dir, const std::string& utf8, bool bom = true,
                        const char* name = "test.ini") {
  WString path = dir / test_support::FromUtf8(name);
  test_support::WriteFileBytes(path, test_support::Utf16Bytes(test_support::FromUtf8(utf8), bom));
  return path;
}

// The current text of an open file, as UTF-8.
inline std::string Text(const IniFile& ini) {
  return test_support::ToUtf8(WString(ini.TextStart(), ini.TextEnd()));
}

inline WString W(const std::string& utf8) { return test_support::FromUtf8(utf8); }

// nullptr for the marker "<none>", else the wide text.
struct OptionalText {
  explicit OptionalText(const char* utf8) : absent(utf8 == nullptr) {
    if (!absent) text = W(utf8);
  }
  const WCHAR* get() const { return absent ? nullptr : text.c_str(); }
  bool absent;
  WString text;
};

}  // namespace ini_test

#endif  // RECO_TESTS_INI_INI_TEST_UTIL_H_
