// Helpers of the builder tests: installation trees written from small
// inline INI texts, a fresh block in a section of the test's own, and text
// fields read back as UTF-8 for comparison and failure messages.
#ifndef RECO_TESTS_BUILDER_BUILDER_TEST_UTIL_H_
#define RECO_TESTS_BUILDER_BUILDER_TEST_UTIL_H_

#include <gtest/gtest.h>

#include <string>

#include "paths/path_utils.h"
#include "platform/platform.h"
#include "shared/sections.h"
#include "tests/shared/test_env.h"
#include "tests/test_support.h"

namespace builder_test {

using test_support::TempDir;
using test_support::WString;

// Writes `utf8` (LF line ends) as the system's INI files are: UTF-16LE with
// byte-order mark and CR LF, creating the folders before it.
inline void WriteIni(const WString& path, const std::string& utf8) {
  std::string crlf;
  for (char c : utf8) {
    if (c == '\n') crlf += '\r';
    crlf += c;
  }
  CreateDirectoryTree(path.c_str());
  ASSERT_TRUE(
      test_support::WriteFileBytes(path, test_support::Utf16Bytes(test_support::FromUtf8(crlf))))
      << test_support::ToUtf8(path);
}

// A text field up to its first zero, never past the field, in UTF-8.
inline std::string Utf8(const WCHAR* field, size_t units) {
  size_t length = 0;
  while (length < units && field[length] != 0) ++length;
  return test_support::ToUtf8(WString(field, length));
}
template <size_t N>
std::string Utf8(const WCHAR (&field)[N]) {
  return Utf8(field, N);
}

// An installation directory as the system passes it: with its final
// backslash.
inline WString InstallDirOf(const TempDir& dir) { return dir.Path() + TEXT("\\"); }

// A new, all-zero preference block in a section no other process uses.
class FreshBlock {
 public:
  FreshBlock() {
    const WString name = test_env::UniqueName("builder-test");
    opened_ = section_.Open(name.c_str()) && !section_.Existed();
  }
  ~FreshBlock() { section_.Release(); }
  FreshBlock(const FreshBlock&) = delete;
  FreshBlock& operator=(const FreshBlock&) = delete;

  bool Opened() const { return opened_; }
  PreferenceSection* Section() { return &section_; }
  PreferenceBlock* operator->() { return section_.Block(); }
  PreferenceBlock& operator*() { return *section_.Block(); }

 private:
  PreferenceSection section_;
  bool opened_ = false;
};

}  // namespace builder_test

#endif  // RECO_TESTS_BUILDER_BUILDER_TEST_UTIL_H_
