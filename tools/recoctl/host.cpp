#include "tools/recoctl/host.h"

#include <cstdio>

#include "platform/text_convert.h"

#if defined(_WIN32)
#include <fcntl.h>
#include <io.h>
#endif

namespace {

void Write(FILE* stream, const std::string& text) {
#if defined(_WIN32)
  static const bool binary = [] {
    _setmode(_fileno(stdout), _O_BINARY);
    _setmode(_fileno(stderr), _O_BINARY);
    return true;
  }();
  (void)binary;
#endif
  fwrite(text.data(), 1, text.size(), stream);
  fflush(stream);
}

}  // namespace

WString Wide(const std::string& utf8) { return Utf8ToUtf16(utf8); }

std::string Narrow(const WCHAR* text) { return Utf16ToUtf8(text); }

std::string NarrowField(const WCHAR* field, size_t units) {
  size_t length = 0;
  while (length < units && field[length] != 0) ++length;
  return Utf16ToUtf8(field, length);
}

std::string Hex(DWORD value) {
  char buffer[16];
  std::snprintf(buffer, sizeof(buffer), "0x%X", static_cast<unsigned>(value));
  return buffer;
}

WString SystemPathFromHost(const std::string& host_path) {
  WString path = Utf8ToUtf16(host_path);
  for (WCHAR& c : path) {
    if (c == TEXT('/')) c = TEXT('\\');
  }
  return path;
}

void PrintOut(const std::string& text) { Write(stdout, text); }

void PrintErr(const std::string& text) { Write(stderr, text); }
