// The registry calls as the system and its tests use them, the user's
// language and the executable's path; the same expectations
// hold for our POSIX layer and for Windows (Wine).
#include <gtest/gtest.h>

#include <cctype>
#include <cstring>
#include <iterator>
#include <string>

#include "platform/fault.h"
#include "platform/platform.h"
#include "tests/fault_loop.h"
#include "tests/shared/test_env.h"
#include "tests/test_support.h"

using test_support::Bytes;
using test_support::FirstDifference;
using test_support::WString;

namespace {

const WCHAR kTestKey[] = TEXT("Software\\Telvar\\QXLUM\\VEQ\\RegistryTest");

class RegistryTest : public ::testing::Test {
 protected:
  RegistryTest() : registry_(dir_) {}
  test_support::TempDir dir_;
  test_env::TestRegistry registry_;
};

// A value's name in upper case.
WString Upper(std::string name) {
  for (char& c : name) c = static_cast<char>(std::toupper(c));
  return test_support::FromUtf8(name);
}

TEST_F(RegistryTest, Registry_ValuesRoundTripAndChanges) {
  struct Case {
    const char* name;
    DWORD type;
    Bytes data;
  };
  const Case cases[] = {
      {"dword", REG_DWORD, {0x61, 0x80, 0xFF, 0x7F}},                         // 0
      {"string", REG_SZ, {'C', 0, ':', 0, '\\', 0, 0x8B, 0x5B, 0, 0}},        // 1
      {"string with a quote and =", REG_SZ, {'"', 0, '=', 0, '"', 0, 0, 0}},  // 2
      {"line break in a string", REG_SZ, {'a', 0, '\n', 0, 'b', 0, 0, 0}},    // 3
  };
  const BYTE junk = 0xEE;
  // Names compare without case: the second write replaces the first.
  for (const Case& c : cases) {
    ASSERT_TRUE(test_env::TestRegistry::Set(kTestKey, Upper(c.name).c_str(), REG_BINARY, &junk, 1));
    ASSERT_TRUE(test_env::TestRegistry::Set(kTestKey, test_support::FromUtf8(c.name).c_str(),
                                            c.type, c.data.data(),
                                            static_cast<DWORD>(c.data.size())));
  }
  HKEY key = nullptr;
  // Key names compare without case too; a trailing backslash is allowed.
  ASSERT_EQ(ERROR_SUCCESS,
            RegOpenKeyExW(HKEY_LOCAL_MACHINE, TEXT("software\\TELVAR\\QXLUM\\VEQ\\RegistryTest\\"),
                          0, KEY_READ, &key));
  for (size_t row = 0; row < std::size(cases); ++row) {
    SCOPED_TRACE("row " + std::to_string(row));
    const Case& c = cases[row];
    const WString name = Upper(c.name);
    // With no buffer, one byte short, and exactly fitting; nothing is
    // written past the value.
    DWORD size = static_cast<DWORD>(c.data.size()), type = 0, needed = 0, short_size = size - 1;
    Bytes data(size + 1, 0xCC);
    ASSERT_EQ(ERROR_SUCCESS, RegQueryValueExW(key, name.c_str(), nullptr, &type, nullptr, &needed));
    EXPECT_EQ(c.type, type);
    EXPECT_EQ(size, needed);
    EXPECT_EQ(ERROR_MORE_DATA,
              RegQueryValueExW(key, name.c_str(), nullptr, nullptr, data.data(), &short_size));
    EXPECT_EQ(size, short_size);
    ASSERT_EQ(ERROR_SUCCESS,
              RegQueryValueExW(key, name.c_str(), nullptr, nullptr, data.data(), &size));
    EXPECT_EQ(0xCC, data.back());
    data.pop_back();
    EXPECT_EQ("", FirstDifference(data, c.data));
  }
  RegCloseKey(key);
}

// Every system call of a change fails in turn, and the process is ended at
// each in turn: the registry file is always the whole old text or the whole
// new one, and the writers' lock is free again.
TEST_F(RegistryTest, Registry_ChangeLeavesOldOrNewAtEveryCall) {
  if (!platform_fault::FaultHookAvailable()) GTEST_SKIP() << "no fault hook on this platform";
  const DWORD one = 1;
  const WString file = dir_ / TEXT("registry");
  ASSERT_TRUE(test_env::TestRegistry::Set(kTestKey, TEXT("A"), REG_DWORD, &one, 4));
  Bytes old_text, new_text;
  ASSERT_TRUE(test_support::ReadFileBytes(file, &old_text));
  const auto change = [&] { test_env::TestRegistry::Set(kTestKey, TEXT("B"), REG_DWORD, &one, 4); };
  change();
  ASSERT_TRUE(test_support::ReadFileBytes(file, &new_text));
  const auto check = [&](long n, bool completed) {
    Bytes text;
    ASSERT_TRUE(test_support::ReadFileBytes(file, &text)) << "call " << n;
    EXPECT_TRUE(text == new_text || (!completed && text == old_text)) << "call " << n;
    ASSERT_TRUE(test_support::WriteFileBytes(file, old_text));
  };
  const long calls = fault_loop::ForEachFailedCall(change, check);
  EXPECT_GE(calls, 10);
  RecordProperty("system_calls", static_cast<int>(calls));
  EXPECT_EQ(calls, fault_loop::ForEachCrash(change, check));
}

#if !defined(_WIN32)
// The registry file is the user's to edit: lines that do not parse are
// skipped, the rest is read; a file that cannot be read is an error, never
// an empty registry.
TEST(Registry_File, GarbledLinesAreIgnored) {
  test_support::TempDir dir;
  const WString file = dir / TEXT("registry");
  test_env::ScopedEnv named("RECO_REGISTRY_FILE", test_env::HostPath(file).c_str());
  const std::string text =
      "; comment\n"
      "\"Orphan\"=4:01000000\n"
      "[HKEY_LOCAL_MACHINE\\Software\\Telvar\\QXLUM\\VEQ\\About]\r\n"
      "\"Path\"=1:\"\\Program Files\\VEQ\\\"\r\n"
      "\"Bad\"=4:0G000000\n"
      "garbage\n"
      "[broken\n"
      "\"AfterBroken\"=4:01000000\n"
      "[hkey_local_machine\\software\\telvar\\qxlum\\veq]\n"
      "\"Hotkey\"=4:61000000\n";
  ASSERT_TRUE(test_support::WriteFileBytes(file, Bytes(text.begin(), text.end())));
  WString path = TEXT("\\Program Files\\VEQ\\");
  path.push_back(0);
  const WCHAR about[] = TEXT("Software\\Telvar\\QXLUM\\VEQ\\About");
  struct Case {
    const WCHAR* key;
    const WCHAR* value;
    Bytes data;  // empty: the value is not found
  };
  const Case cases[] = {
      {about, TEXT("Path"), test_support::Utf16Bytes(path, false)},               // 0
      {about, TEXT("Bad"), {}},                                                   // 1
      {about, TEXT("AfterBroken"), {}},                                           // 2
      {TEXT("Software\\Telvar\\QXLUM\\VEQ\\"), TEXT("Hotkey"), {0x61, 0, 0, 0}},  // 3
  };
  for (size_t row = 0; row < std::size(cases); ++row) {
    SCOPED_TRACE("row " + std::to_string(row));
    const Case& c = cases[row];
    HKEY key = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExW(HKEY_LOCAL_MACHINE, c.key, 0, KEY_READ, &key));
    Bytes data(64);
    DWORD size = static_cast<DWORD>(data.size());
    EXPECT_EQ(c.data.empty() ? ERROR_FILE_NOT_FOUND : ERROR_SUCCESS,
              RegQueryValueExW(key, c.value, nullptr, nullptr, data.data(), &size));
    data.resize(c.data.empty() ? 0 : size);
    EXPECT_EQ("", FirstDifference(data, c.data));
    RegCloseKey(key);
  }
  test_env::ScopedEnv unreadable("RECO_REGISTRY_FILE", test_env::HostPath(dir.Path()).c_str());
  HKEY key = nullptr;
  EXPECT_EQ(ERROR_ACCESS_DENIED,
            RegOpenKeyExW(HKEY_LOCAL_MACHINE, TEXT("Software\\Telvar"), 0, KEY_READ, &key));
}

TEST(Locale_UserDefaultLangID, FromTheLocaleVariables) {
  struct Case {
    const char *lc_all, *lc_messages, *lang;
    LANGID expected;
  };
  const Case cases[] = {
      {"zh_CN.UTF-8", nullptr, nullptr, 2052},       // 0
      {nullptr, "zh_TW.UTF-8", "de_DE", 1028},       // 1: LC_MESSAGES before LANG
      {nullptr, nullptr, "de_DE.UTF-8@euro", 1031},  // 2: codeset and modifier dropped
      {nullptr, nullptr, "fr_LU", 1036},             // 3: a country it does not know
      {nullptr, nullptr, "xx_YY", 1033},             // 4: unknown
      {"", nullptr, "zh_CN", 2052},                  // 5: an empty variable does not count
  };
  for (size_t row = 0; row < std::size(cases); ++row) {
    SCOPED_TRACE("row " + std::to_string(row));
    test_env::ScopedEnv all("LC_ALL", cases[row].lc_all);
    test_env::ScopedEnv messages("LC_MESSAGES", cases[row].lc_messages);
    test_env::ScopedEnv lang("LANG", cases[row].lang);
    EXPECT_EQ(cases[row].expected, GetUserDefaultLangID());
  }
}
#endif

TEST(Module_GetModuleFileNameW, FullAndCutPaths) {
  WCHAR full[MAX_PATH] = {0};
  const DWORD length = GetModuleFileNameW(nullptr, full, MAX_PATH);
  ASSERT_GT(length, 3u);
  EXPECT_EQ(length, static_cast<DWORD>(WString(full).size()));
  EXPECT_NE(nullptr, wcsrchr(full, TEXT('\\')));
  WCHAR cut[4] = {TEXT('?'), TEXT('?'), TEXT('?'), TEXT('?')};
  SetLastError(0xDEADBEEF);
  EXPECT_EQ(4u, GetModuleFileNameW(nullptr, cut, 4));
  EXPECT_EQ(static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER), GetLastError());
  EXPECT_EQ(0, std::memcmp(cut, full, 3 * sizeof(WCHAR)));
#if !defined(_WIN32)
  // Windows since Vista terminates the cut path; Wine, like XP, does not.
  EXPECT_EQ(0, cut[3]);
#endif
}

}  // namespace
