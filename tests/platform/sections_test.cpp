// Named sections backed by the paging file: how the preference and server
// sections are created, found again, shared between processes and retired.
// The same tests run natively and under Wine.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "platform/platform.h"
#include "tests/test_support.h"

#if defined(_WIN32)
#else
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>
extern char** environ;
#endif

namespace {

using test_support::WString;

constexpr DWORD kSentinel = 0xdeadbeef;
constexpr DWORD kPreferenceSize = 105080;  // the largest section the system makes
constexpr DWORD kServerSize = 92;
constexpr char kChildVariable[] = "RECO_SECTION_CHILD";

unsigned long ProcessId() {
#if defined(_WIN32)
  return GetCurrentProcessId();
#else
  return static_cast<unsigned long>(getpid());
#endif
}

// Named objects are seen by every process of the user (or of the Wine
// prefix), and test programs run side by side: every name carries the
// process id of the test that owns it.
WString SectionName(const std::string& stem, unsigned long pid = ProcessId()) {
  return test_support::FromUtf8("RECO_TEST_" + stem + "_" + std::to_string(pid));
}

HANDLE CreateSection(const WString& name, DWORD size) {
  return CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, size, name.c_str());
}

uint8_t* MapAll(HANDLE section) {
  return static_cast<uint8_t*>(MapViewOfFile(section, FILE_MAP_ALL_ACCESS, 0, 0, 0));
}

bool AllZero(const uint8_t* bytes, size_t size) {
  for (size_t i = 0; i < size; ++i) {
    if (bytes[i] != 0) return false;
  }
  return true;
}

// ---- The second process -----------------------------------------------------
//
// The test program starts itself again with kChildVariable set to
// "<mode> <parent pid>". The child does its part before the test runner
// starts and leaves with an exit code that tells the parent what it saw.

enum ChildResult {
  kChildOk = 0,
  kChildCreateFailed = 10,
  kChildWrongExistence = 11,
  kChildMapFailed = 12,
  kChildWrongContent = 13,
  kChildBadRequest = 14,
};

int ChildMain(const std::string& request) {
  const size_t space = request.find(' ');
  if (space == std::string::npos) return kChildBadRequest;
  const std::string mode = request.substr(0, space);
  const unsigned long parent = std::strtoul(request.c_str() + space + 1, nullptr, 10);
  const WString name = SectionName("SHARED", parent);
  SetLastError(kSentinel);
  HANDLE section = CreateSection(name, kServerSize);
  if (section == nullptr) return kChildCreateFailed;
  const DWORD error = GetLastError();
  uint8_t* view = MapAll(section);
  if (view == nullptr) return kChildMapFailed;
  int result = kChildOk;
  if (mode == "join") {
    // The parent holds the section with 0x5A in its first byte.
    if (error != static_cast<DWORD>(ERROR_ALREADY_EXISTS)) {
      result = kChildWrongExistence;
    } else if (view[0] != 0x5A) {
      result = kChildWrongContent;
    } else {
      view[1] = 0xA5;
    }
  } else if (mode == "create") {
    // Nobody else holds the section; it must vanish when this process ends.
    if (error != static_cast<DWORD>(ERROR_SUCCESS)) {
      result = kChildWrongExistence;
    } else if (!AllZero(view, kServerSize)) {
      result = kChildWrongContent;
    } else {
      view[0] = 0x77;
    }
  } else {
    result = kChildBadRequest;
  }
  UnmapViewOfFile(view);
  CloseHandle(section);
  return result;
}

int RunChildIfAsked() {
  const char* request = std::getenv(kChildVariable);
  if (request == nullptr) return 0;
  std::exit(ChildMain(request));
}

[[maybe_unused]] const int kChildHook = RunChildIfAsked();

// Runs this program again as a child with `mode`; returns its exit code, or
// -1 when it could not be started.
int RunChild(const std::string& mode) {
  const std::string request = mode + " " + std::to_string(ProcessId());
#if defined(_WIN32)
  WCHAR self[MAX_PATH];
  if (GetModuleFileNameW(nullptr, self, MAX_PATH) == 0) return -1;
  // The child inherits the process environment, which the C runtime of the
  // child reads at its start.
  if (!SetEnvironmentVariableA(kChildVariable, request.c_str())) return -1;
  STARTUPINFOW startup = {};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION process = {};
  const BOOL started = CreateProcessW(self, nullptr, nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                                      &startup, &process);
  SetEnvironmentVariableA(kChildVariable, nullptr);
  if (!started) return -1;
  WaitForSingleObject(process.hProcess, INFINITE);
  DWORD code = 0;
  GetExitCodeProcess(process.hProcess, &code);
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return static_cast<int>(code);
#else
  const std::string assignment = std::string(kChildVariable) + "=" + request;
  std::vector<char*> env;
  for (char** e = environ; *e != nullptr; ++e) env.push_back(*e);
  env.push_back(const_cast<char*>(assignment.c_str()));
  env.push_back(nullptr);
  char arg0[] = "platform_test";
  char* argv[] = {arg0, nullptr};
  pid_t pid = 0;
  if (posix_spawn(&pid, "/proc/self/exe", nullptr, nullptr, argv, env.data()) != 0) return -1;
  int status = 0;
  if (waitpid(pid, &status, 0) != pid || !WIFEXITED(status)) return -1;
  return WEXITSTATUS(status);
#endif
}

// ---- One process ------------------------------------------------------------

TEST(Sections_Create, NewSectionIsZeroFilledAndReportsNoError) {
  const WString name = SectionName("NEW");
  SetLastError(kSentinel);
  HANDLE section = CreateSection(name, kPreferenceSize);
  ASSERT_NE(section, nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SUCCESS));
  uint8_t* view = MapAll(section);
  ASSERT_NE(view, nullptr);
  EXPECT_TRUE(AllZero(view, kPreferenceSize));
  view[kPreferenceSize - 1] = 1;  // the whole size is writable
  EXPECT_TRUE(UnmapViewOfFile(view));
  EXPECT_TRUE(CloseHandle(section));
}

TEST(Sections_Create, SecondHandleFindsTheSameMemory) {
  const WString name = SectionName("TWICE");
  HANDLE first = CreateSection(name, kServerSize);
  ASSERT_NE(first, nullptr);
  uint8_t* view1 = MapAll(first);
  ASSERT_NE(view1, nullptr);
  view1[4] = 0x12;

  SetLastError(kSentinel);
  HANDLE second = CreateSection(name, kServerSize);
  ASSERT_NE(second, nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ALREADY_EXISTS));
  EXPECT_NE(second, first);
  uint8_t* view2 = MapAll(second);
  ASSERT_NE(view2, nullptr);
  EXPECT_EQ(view2[4], 0x12);
  view2[60] = 0x34;
  EXPECT_EQ(view1[60], 0x34);

  EXPECT_TRUE(UnmapViewOfFile(view2));
  EXPECT_TRUE(CloseHandle(second));
  EXPECT_EQ(view1[60], 0x34);  // the first holder is unaffected
  EXPECT_TRUE(UnmapViewOfFile(view1));
  EXPECT_TRUE(CloseHandle(first));
}

TEST(Sections_Lifetime, LastCloseRetiresTheSection) {
  const WString name = SectionName("RETIRE");
  for (int round = 0; round < 3; ++round) {
    SetLastError(kSentinel);
    HANDLE section = CreateSection(name, kServerSize);
    ASSERT_NE(section, nullptr) << "round " << round;
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SUCCESS)) << "round " << round;
    uint8_t* view = MapAll(section);
    ASSERT_NE(view, nullptr) << "round " << round;
    EXPECT_TRUE(AllZero(view, kServerSize)) << "round " << round;
    std::memset(view, 0xEE, kServerSize);
    EXPECT_TRUE(UnmapViewOfFile(view));
    EXPECT_TRUE(CloseHandle(section));
  }
}

TEST(Sections_Lifetime, ViewOutlivesItsHandle) {
  const WString name = SectionName("VIEW");
  HANDLE section = CreateSection(name, kServerSize);
  ASSERT_NE(section, nullptr);
  uint8_t* view = MapAll(section);
  ASSERT_NE(view, nullptr);
  view[0] = 0x5A;
  EXPECT_TRUE(CloseHandle(section));
  // The memory stays mapped and usable until the view goes.
  EXPECT_EQ(view[0], 0x5A);
  view[91] = 0x5B;
  EXPECT_EQ(view[91], 0x5B);
  EXPECT_TRUE(UnmapViewOfFile(view));
}

TEST(Sections_Lifetime, ViewsDoNotCountAsHolders) {
  // Unmap-then-close is the system's own order; a name whose last handle is
  // gone is free again even while a view remains, as on Windows.
  const WString name = SectionName("NAME");
  HANDLE section = CreateSection(name, kServerSize);
  ASSERT_NE(section, nullptr);
  uint8_t* view = MapAll(section);
  ASSERT_NE(view, nullptr);
  view[0] = 0x5A;
  EXPECT_TRUE(CloseHandle(section));
  SetLastError(kSentinel);
  HANDLE again = CreateSection(name, kServerSize);
  ASSERT_NE(again, nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SUCCESS));
  uint8_t* fresh = MapAll(again);
  ASSERT_NE(fresh, nullptr);
  EXPECT_EQ(fresh[0], 0);
  EXPECT_EQ(view[0], 0x5A);
  EXPECT_TRUE(UnmapViewOfFile(fresh));
  EXPECT_TRUE(CloseHandle(again));
  EXPECT_TRUE(UnmapViewOfFile(view));
}

TEST(Sections_Create, RejectsZeroSizeWithoutAFile) {
  SetLastError(kSentinel);
  HANDLE section = CreateSection(SectionName("ZERO"), 0);
  EXPECT_EQ(section, nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
}

// ---- Two processes ----------------------------------------------------------

TEST(Sections_TwoProcesses, ChildJoinsAndWritesThrough) {
  const WString name = SectionName("SHARED");
  HANDLE section = CreateSection(name, kServerSize);
  ASSERT_NE(section, nullptr);
  uint8_t* view = MapAll(section);
  ASSERT_NE(view, nullptr);
  view[0] = 0x5A;
  EXPECT_EQ(RunChild("join"), kChildOk);
  EXPECT_EQ(view[1], 0xA5);  // written by the child through its own view
  EXPECT_TRUE(UnmapViewOfFile(view));
  EXPECT_TRUE(CloseHandle(section));
}

TEST(Sections_TwoProcesses, SectionEndsWithItsOnlyProcess) {
  ASSERT_EQ(RunChild("create"), kChildOk);
  const WString name = SectionName("SHARED");
  SetLastError(kSentinel);
  HANDLE section = CreateSection(name, kServerSize);
  ASSERT_NE(section, nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SUCCESS));
  uint8_t* view = MapAll(section);
  ASSERT_NE(view, nullptr);
  EXPECT_TRUE(AllZero(view, kServerSize));
  EXPECT_TRUE(UnmapViewOfFile(view));
  EXPECT_TRUE(CloseHandle(section));
}

}  // namespace
