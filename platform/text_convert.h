// UTF-16 <-> UTF-8 conversion for the host boundary: file names on POSIX,
// and what the companion tools print and read. Unpaired surrogates become
// U+FFFD; invalid UTF-8 sequences become U+FFFD.
#ifndef RECO_PLATFORM_TEXT_CONVERT_H_
#define RECO_PLATFORM_TEXT_CONVERT_H_

#include <string>

#include "platform/platform.h"

std::string Utf16ToUtf8(const WCHAR* text, size_t length);
std::string Utf16ToUtf8(const WCHAR* text);  // up to the terminating zero
std::basic_string<WCHAR> Utf8ToUtf16(const std::string& text);

#endif  // RECO_PLATFORM_TEXT_CONVERT_H_
