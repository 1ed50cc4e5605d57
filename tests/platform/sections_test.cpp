// Named sections backed by the paging file: how the preference and server
// sections are created, found again, shared between processes and retired.
// The same tests run natively and under Wine.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "platform/platform.h"
#include "tests/test_support.h"

#include <unistd.h>  // getpid, which MinGW's C runtime has too

namespace {

using test_support::WString;

constexpr DWORD kSentinel = 0xdeadbeef;
constexpr DWORD kPreferenceSize = 105080;  // the largest section the system makes
constexpr DWORD kServerSize = 92;
constexpr char kChildVariable[] = "RECO_SECTION_CHILD";

// Named objects are seen by every process of the user (or of the Wine
// prefix), and test programs run side by side: every name carries the
// process id of the test that owns it.
WString SectionName(const std::string& stem, unsigned long pid = getpid()) {
  return test_support::FromUtf8("RECO_TEST_" + stem + "_" + std::to_string(pid));
}

struct Section {
  HANDLE handle;
  DWORD error;  // the last error of the create call, set to a sentinel before it
  uint8_t* view;
  bool AllZero(size_t size) const {
    return std::all_of(view, view + size, [](uint8_t b) { return b == 0; });
  }
  bool Close() const { return UnmapViewOfFile(view) && CloseHandle(handle); }
};

// Creates or opens the section `name` and maps all of it.
Section CreateSection(const WString& name, DWORD size) {
  SetLastError(kSentinel);
  HANDLE h =
      CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, size, name.c_str());
  const DWORD error = GetLastError();
  void* view = h == nullptr ? nullptr : MapViewOfFile(h, FILE_MAP_ALL_ACCESS, 0, 0, 0);
  return {h, error, static_cast<uint8_t*>(view)};
}

// Whether a holder's section `name` can be opened by name alone, with
// `last` as its last byte; a failed open must say that none holds it.
bool OpensHeld(const WString& name, uint8_t last) {
  SetLastError(kSentinel);
  HANDLE h = OpenFileMappingW(FILE_MAP_READ, FALSE, name.c_str());
  if (h == nullptr) return GetLastError() != ERROR_FILE_NOT_FOUND;
  const auto* view = static_cast<const uint8_t*>(MapViewOfFile(h, FILE_MAP_READ, 0, 0, 0));
  const bool seen = view != nullptr && view[kPreferenceSize - 1] == last;
  return (view == nullptr || UnmapViewOfFile(view)) && CloseHandle(h) && seen;
}

// ---- The second process -----------------------------------------------------
//
// The test program starts itself again with kChildVariable set to the
// parent's process id. The child does its part before the test runner starts
// and leaves with an exit code that tells the parent what it saw: it must
// find the parent's section, with 0x5A in its first byte; it writes 0xA5 into
// the second byte, for the parent to see.
enum ChildResult { kChildOk, kChildNoSection = 10, kChildWrongExistence, kChildWrongContent };

int ChildMain(const char* parent) {
  const Section s =
      CreateSection(SectionName("SHARED", std::strtoul(parent, nullptr, 10)), kServerSize);
  if (s.view == nullptr) return kChildNoSection;
  const bool content = s.view[0] == 0x5A;
  s.view[1] = 0xA5;
  s.Close();
  return s.error != ERROR_ALREADY_EXISTS ? kChildWrongExistence
         : content                       ? kChildOk
                                         : kChildWrongContent;
}

int RunChildIfAsked() {
  const char* request = std::getenv(kChildVariable);
  if (request == nullptr) return 0;
  std::exit(ChildMain(request));
}

[[maybe_unused]] const int kChildHook = RunChildIfAsked();

// A new section reads as zeros over its whole size and reports no error. A
// view keeps its memory, but a name whose last handle is gone makes a new
// section even while a view remains, as on Windows (unmap-then-close is the
// system's own order).
TEST(Sections_Lifetime, ReopenSharesMemoryAndLastCloseRetiresTheName) {
  const WString name = SectionName("TWICE");
  EXPECT_FALSE(OpensHeld(name, 0)) << "opened by name before anyone made it";
  const Section first = CreateSection(name, kPreferenceSize);
  ASSERT_NE(first.view, nullptr) << first.error;
  EXPECT_EQ(first.error, static_cast<DWORD>(ERROR_SUCCESS));
  EXPECT_TRUE(first.AllZero(kPreferenceSize));
  first.view[kPreferenceSize - 1] = 0x12;  // the whole size is there
  EXPECT_TRUE(OpensHeld(name, 0x12));
  const Section second = CreateSection(name, kPreferenceSize);
  ASSERT_NE(second.view, nullptr);
  EXPECT_EQ(second.error, static_cast<DWORD>(ERROR_ALREADY_EXISTS));
  EXPECT_EQ(second.view[kPreferenceSize - 1], 0x12);
  EXPECT_TRUE(second.Close());
  EXPECT_TRUE(CloseHandle(first.handle));
  first.view[4] = 0x34;  // still mapped and usable until the view goes
  EXPECT_FALSE(OpensHeld(name, 0x12)) << "opened by name after its last handle";
  const Section again = CreateSection(name, kPreferenceSize);
  ASSERT_NE(again.view, nullptr);
  EXPECT_EQ(again.error, static_cast<DWORD>(ERROR_SUCCESS));
  EXPECT_TRUE(again.AllZero(kPreferenceSize));
  EXPECT_EQ(first.view[4], 0x34);
  EXPECT_TRUE(again.Close());
  EXPECT_TRUE(UnmapViewOfFile(first.view));
}

TEST(Sections_TwoProcesses, ChildJoinsTheSectionOfItsParent) {
  const Section s = CreateSection(SectionName("SHARED"), kServerSize);
  ASSERT_NE(s.view, nullptr);
  s.view[0] = 0x5A;
  EXPECT_EQ(test_support::RunSelf(kChildVariable, std::to_string(getpid())), kChildOk);
  EXPECT_EQ(s.view[1], 0xA5);  // written by the child through its own view
  EXPECT_TRUE(s.Close());
}

}  // namespace
