// The host side of recoctl: file names given on its command line, and text
// it prints, in UTF-8 on both targets.
#ifndef RECO_TOOLS_RECOCTL_HOST_H_
#define RECO_TOOLS_RECOCTL_HOST_H_

#include <string>

#include "platform/platform.h"

using WString = std::basic_string<WCHAR>;

// A host path ("/tmp/a.ini" on Linux, "C:\x\a.ini" on Windows) as the system
// names it: UTF-16 with backslashes.
WString SystemPathFromHost(const std::string& host_path);

// UTF-8 text to and from the system's UTF-16.
WString Wide(const std::string& utf8);
std::string Narrow(const WCHAR* text);
// A fixed text field of a shared record, up to its first zero but never
// beyond its `units`: a field without a terminator is still read safely.
std::string NarrowField(const WCHAR* field, size_t units);
// The same for a field declared as an array: its size bounds the read.
template <size_t N>
std::string NarrowField(const WCHAR (&field)[N]) {
  return NarrowField(field, N);
}

// A 32-bit word as "0x" and upper-case hexadecimal digits.
std::string Hex(DWORD value);

// Writes UTF-8 bytes to standard output or error as they are (no newline
// translation on Windows).
void PrintOut(const std::string& text);
void PrintErr(const std::string& text);

#endif  // RECO_TOOLS_RECOCTL_HOST_H_
