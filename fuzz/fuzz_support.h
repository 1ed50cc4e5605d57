// Helpers shared by the fuzz targets: a scratch directory per process, file
// access through the C library (independent of the platform layer under
// test), and a check that aborts with a readable message.
#ifndef RECO_FUZZ_FUZZ_SUPPORT_H_
#define RECO_FUZZ_FUZZ_SUPPORT_H_

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/platform.h"

namespace fuzz_support {

using WString = std::basic_string<WCHAR>;

// Prints what failed and aborts, so that libFuzzer saves the input.
[[noreturn]] void Fail(const char* condition, const std::string& detail, const char* file,
                       int line);

// A file in this process's own scratch directory under /tmp (made on first
// use, removed at exit), by host path and by system path (backslashes).
struct ScratchFile {
  std::string host_path;
  WString system_path;
};
ScratchFile MakeScratchFile(const char* name);

bool WriteHostFile(const std::string& host_path, const uint8_t* data, size_t size);
bool ReadHostFile(const std::string& host_path, std::vector<uint8_t>* bytes);

// `text` with everything outside printable ASCII as \uXXXX, quoted.
std::string Show(const WString& text);
std::string Show(const WCHAR* text, size_t length);

// ASCII letters compared without case, nothing else folded: the rule the
// engine applies to section and key names.
WCHAR FoldAscii(WCHAR c);
bool EqualNoCase(const WString& a, const WString& b);

}  // namespace fuzz_support

#define FUZZ_CHECK(condition, detail)                                                 \
  do {                                                                                \
    if (!(condition)) ::fuzz_support::Fail(#condition, (detail), __FILE__, __LINE__); \
  } while (0)

#endif  // RECO_FUZZ_FUZZ_SUPPORT_H_
