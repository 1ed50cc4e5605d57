// Helpers shared by the unit tests of both targets. Files are made and read
// through the C++ library, independently of the platform layer under test.
#ifndef RECO_TESTS_TEST_SUPPORT_H_
#define RECO_TESTS_TEST_SUPPORT_H_

#include <cstdint>
#include <string>
#include <vector>

#include "platform/platform.h"

namespace test_support {

using WString = std::basic_string<WCHAR>;
using Bytes = std::vector<uint8_t>;

// A fresh, empty directory that is removed with everything in it at the end.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  // The directory as the system names it, without a trailing backslash.
  const WString& Path() const { return path_; }
  // Path() + "\" + relative (relative uses backslashes).
  WString operator/(const WString& relative) const { return path_ + TEXT("\\") + relative; }

 private:
  WString path_;
};

// Whole-file access by system path (backslashes).
bool WriteFileBytes(const WString& path, const Bytes& bytes);
bool ReadFileBytes(const WString& path, Bytes* bytes);
bool PathExists(const WString& path);
bool IsDirectory(const WString& path);

// UTF-16LE bytes of `text`, with a byte-order mark when `bom` is set.
Bytes Utf16Bytes(const WString& text, bool bom = true);
WString FromUtf8(const std::string& text);
std::string ToUtf8(const WString& text);

// Runs this test program again with the environment variable `variable` set
// to `value`, for a hook of the child's that looks for it before the tests
// start, and waits for its end. Returns the child's exit code, or -1 when it
// could not be run.
int RunSelf(const char* variable, const std::string& value);

// Where two byte strings first differ, as text for a failure message;
// empty when they are equal.
std::string FirstDifference(const Bytes& actual, const Bytes& expected);

}  // namespace test_support

#endif  // RECO_TESTS_TEST_SUPPORT_H_
