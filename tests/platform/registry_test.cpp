// The registry calls as the system and its tests use them, the user's
// language, the executable's path and DeleteObject; the same expectations
// hold for our POSIX layer and for Windows (Wine).
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "platform/platform.h"
#include "platform/test_hooks.h"
#include "tests/shared/test_env.h"
#include "tests/test_support.h"

using test_support::Bytes;
using test_support::TempDir;
using test_support::ToUtf8;
using test_support::WString;

namespace {

const WCHAR kTestKey[] = TEXT("Software\\Telvar\\QXLUM\\VEQ\\RegistryTest");

class RegistryTest : public ::testing::Test {
 protected:
  RegistryTest() : registry_(dir_) {}
  TempDir dir_;
  test_env::TestRegistry registry_;
};

TEST_F(RegistryTest, Registry_ValuesReadBackAsStored) {
  struct Case {
    const char* name;
    DWORD type;
    Bytes data;
  };
  const Case cases[] = {
      {"dword", REG_DWORD, {0x61, 0, 0, 0}},
      {"binary", REG_BINARY, {0, 1, 0xFF, 0x7F, 0x80}},
      {"empty binary", REG_BINARY, {}},
      {"string", REG_SZ, {'C', 0, ':', 0, '\\', 0, 0x8B, 0x5B, 0, 0}},
      {"string with a quote and =", REG_SZ, {'"', 0, '=', 0, '"', 0, 0, 0}},
      {"expandable string", REG_EXPAND_SZ, {'%', 0, 'X', 0, '%', 0, 0, 0}},
      {"line break in a string", REG_SZ, {'a', 0, '\n', 0, 'b', 0, 0, 0}},
  };
  for (const Case& c : cases) {
    const WString name = test_support::FromUtf8(c.name);
    ASSERT_TRUE(test_env::TestRegistry::Set(kTestKey, name.c_str(), c.type, c.data.data(),
                                            static_cast<DWORD>(c.data.size())))
        << c.name;
  }
  HKEY key = nullptr;
  ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExW(HKEY_LOCAL_MACHINE, kTestKey, 0, KEY_READ, &key));
  for (const Case& c : cases) {
    const WString name = test_support::FromUtf8(c.name);
    DWORD type = 0xDEAD;
    DWORD size = 0;
    ASSERT_EQ(ERROR_SUCCESS, RegQueryValueExW(key, name.c_str(), nullptr, &type, nullptr, &size))
        << c.name;
    EXPECT_EQ(c.type, type) << c.name;
    EXPECT_EQ(c.data.size(), size) << c.name;
    Bytes data(64, 0xCC);
    size = static_cast<DWORD>(data.size());
    ASSERT_EQ(ERROR_SUCCESS,
              RegQueryValueExW(key, name.c_str(), nullptr, nullptr, data.data(), &size))
        << c.name;
    data.resize(size);
    EXPECT_EQ("", test_support::FirstDifference(data, c.data)) << c.name;
  }
  RegCloseKey(key);
}

TEST_F(RegistryTest, Registry_SmallBufferMissingValueAndKey) {
  const Bytes value = {1, 2, 3, 4, 5, 6};
  ASSERT_TRUE(test_env::TestRegistry::Set(kTestKey, TEXT("Six"), REG_BINARY, value.data(), 6));
  HKEY key = nullptr;
  // Names compare without case; a trailing backslash is allowed.
  ASSERT_EQ(ERROR_SUCCESS,
            RegOpenKeyExW(HKEY_LOCAL_MACHINE, TEXT("software\\TELVAR\\QXLUM\\VEQ\\RegistryTest\\"),
                          0, 1, &key));
  BYTE small[4] = {0xCC, 0xCC, 0xCC, 0xCC};
  DWORD size = sizeof(small);
  EXPECT_EQ(ERROR_MORE_DATA, RegQueryValueExW(key, TEXT("six"), nullptr, nullptr, small, &size));
  EXPECT_EQ(6u, size);
  size = sizeof(small);
  EXPECT_EQ(ERROR_FILE_NOT_FOUND,
            RegQueryValueExW(key, TEXT("Seven"), nullptr, nullptr, small, &size));
  RegCloseKey(key);

  key = nullptr;
  EXPECT_EQ(
      ERROR_FILE_NOT_FOUND,
      RegOpenKeyExW(HKEY_LOCAL_MACHINE, TEXT("Software\\Telvar\\Missing"), 0, KEY_READ, &key));
  // A parent exists with its subkeys.
  ASSERT_EQ(ERROR_SUCCESS,
            RegOpenKeyExW(HKEY_LOCAL_MACHINE, TEXT("Software\\Telvar"), 0, KEY_READ, &key));
  RegCloseKey(key);
}

TEST_F(RegistryTest, Registry_ChangesAndDeletions) {
  HKEY key = nullptr;
  DWORD disposition = 0;
  ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExW(HKEY_LOCAL_MACHINE, kTestKey, 0, nullptr, 0,
                                           KEY_ALL_ACCESS, nullptr, &key, &disposition));
  EXPECT_EQ(REG_CREATED_NEW_KEY, disposition);
  const DWORD one = 1;
  const DWORD two = 2;
  ASSERT_EQ(ERROR_SUCCESS,
            RegSetValueExW(key, TEXT("V"), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&one), 4));
  ASSERT_EQ(ERROR_SUCCESS,
            RegSetValueExW(key, TEXT("v"), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&two), 4));
  DWORD read = 0;
  DWORD size = sizeof(read);
  EXPECT_EQ(ERROR_SUCCESS, RegQueryValueExW(key, TEXT("V"), nullptr, nullptr,
                                            reinterpret_cast<BYTE*>(&read), &size));
  EXPECT_EQ(2u, read);
  EXPECT_EQ(ERROR_SUCCESS, RegDeleteValueW(key, TEXT("V")));
  EXPECT_EQ(ERROR_FILE_NOT_FOUND, RegDeleteValueW(key, TEXT("V")));
  RegCloseKey(key);

  // A key opened for reading cannot be changed through.
  ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExW(HKEY_LOCAL_MACHINE, kTestKey, 0, KEY_READ, &key));
  EXPECT_EQ(ERROR_ACCESS_DENIED,
            RegSetValueExW(key, TEXT("V"), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&one), 4));
  RegCloseKey(key);

  ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExW(HKEY_LOCAL_MACHINE, kTestKey, 0, nullptr, 0,
                                           KEY_ALL_ACCESS, nullptr, &key, &disposition));
  EXPECT_EQ(REG_OPENED_EXISTING_KEY, disposition);
  RegCloseKey(key);
  // A key with subkeys stays.
  EXPECT_NE(ERROR_SUCCESS, RegDeleteKeyW(HKEY_LOCAL_MACHINE, TEXT("Software\\Telvar\\QXLUM")));
  EXPECT_EQ(ERROR_SUCCESS, RegDeleteKeyW(HKEY_LOCAL_MACHINE, kTestKey));
  EXPECT_EQ(ERROR_FILE_NOT_FOUND, RegOpenKeyExW(HKEY_LOCAL_MACHINE, kTestKey, 0, KEY_READ, &key));
}

#if !defined(_WIN32)
// The registry file is the user's to edit: lines that do not parse are
// skipped, the rest is read.
TEST(Registry_File, GarbledLinesAreIgnored) {
  TempDir dir;
  const WString file = dir / TEXT("registry");
  test_env::ScopedEnv named("RECO_REGISTRY_FILE", test_env::HostPath(file).c_str());
  const std::string text =
      "; comment\n"
      "\"Orphan\"=4:01000000\n"
      "[HKEY_LOCAL_MACHINE\\Software\\Telvar\\QXLUM\\VEQ\\About]\r\n"
      "\"Path\"=1:\"\\Program Files\\VEQ\\\"\r\n"
      "\"Bad\"=4:0G000000\n"
      "\"Odd\"=4:010\n"
      "garbage\n"
      "[broken\n"
      "\"AfterBroken\"=4:01000000\n"
      "[hkey_local_machine\\software\\telvar\\qxlum\\veq]\n"
      "\"Hotkey\"=4:61000000\n";
  ASSERT_TRUE(test_support::WriteFileBytes(file, Bytes(text.begin(), text.end())));
  struct Case {
    const WCHAR* key;
    const WCHAR* value;
    LONG result;
  };
  const Case cases[] = {
      {TEXT("Software\\Telvar\\QXLUM\\VEQ\\About"), TEXT("Path"), ERROR_SUCCESS},
      {TEXT("Software\\Telvar\\QXLUM\\VEQ\\About"), TEXT("Bad"), ERROR_FILE_NOT_FOUND},
      {TEXT("Software\\Telvar\\QXLUM\\VEQ\\About"), TEXT("Odd"), ERROR_FILE_NOT_FOUND},
      {TEXT("Software\\Telvar\\QXLUM\\VEQ\\About"), TEXT("AfterBroken"), ERROR_FILE_NOT_FOUND},
      {TEXT("Software\\Telvar\\QXLUM\\VEQ\\"), TEXT("Hotkey"), ERROR_SUCCESS},
  };
  for (const Case& c : cases) {
    HKEY key = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExW(HKEY_LOCAL_MACHINE, c.key, 0, KEY_READ, &key));
    DWORD size = 0;
    EXPECT_EQ(c.result, RegQueryValueExW(key, c.value, nullptr, nullptr, nullptr, &size))
        << ToUtf8(c.value);
    RegCloseKey(key);
  }
  HKEY key = nullptr;
  ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExW(HKEY_LOCAL_MACHINE, cases[0].key, 0, KEY_READ, &key));
  WCHAR path[MAX_PATH] = {0};
  DWORD size = sizeof(path);
  ASSERT_EQ(ERROR_SUCCESS, RegQueryValueExW(key, TEXT("Path"), nullptr, nullptr,
                                            reinterpret_cast<BYTE*>(path), &size));
  EXPECT_EQ("\\Program Files\\VEQ\\", ToUtf8(path));
  EXPECT_EQ(ERROR_SUCCESS, RegCloseKey(key));
  EXPECT_EQ(ERROR_INVALID_HANDLE, RegCloseKey(key));
}

TEST(Registry_File, MissingOrUnreadableFileHoldsNoKeys) {
  TempDir dir;
  for (const WCHAR* name : {TEXT("absent"), TEXT("")}) {
    const WString file = name[0] != 0 ? dir / name : dir.Path();  // a folder cannot be read
    test_env::ScopedEnv named("RECO_REGISTRY_FILE", test_env::HostPath(file).c_str());
    HKEY key = nullptr;
    EXPECT_EQ(ERROR_FILE_NOT_FOUND,
              RegOpenKeyExW(HKEY_LOCAL_MACHINE, TEXT("Software\\Telvar"), 0, KEY_READ, &key));
  }
}

TEST(Locale_UserDefaultLangID, FromTheLocaleVariables) {
  struct Case {
    const char* lc_all;
    const char* lc_messages;
    const char* lang;
    LANGID expected;
  };
  const Case cases[] = {
      {"zh_CN.UTF-8", nullptr, nullptr, 2052},
      {nullptr, "zh_TW.UTF-8", "de_DE", 1028},
      {nullptr, nullptr, "de_DE.UTF-8@euro", 1031},
      {nullptr, nullptr, "en_US", 1033},
      {nullptr, nullptr, "fr", 1036},
      {nullptr, nullptr, "ja_JP.eucJP", 1041},
      {nullptr, nullptr, "C", 1033},
      {nullptr, nullptr, "xx_YY", 1033},
      {"", nullptr, "zh_CN", 2052},  // an empty variable does not count
      {nullptr, nullptr, nullptr, 1033},
  };
  for (const Case& c : cases) {
    test_env::ScopedEnv all("LC_ALL", c.lc_all);
    test_env::ScopedEnv messages("LC_MESSAGES", c.lc_messages);
    test_env::ScopedEnv lang("LANG", c.lang);
    EXPECT_EQ(c.expected, GetUserDefaultLangID())
        << (c.lc_all ? c.lc_all : "-") << " " << (c.lc_messages ? c.lc_messages : "-") << " "
        << (c.lang ? c.lang : "-");
  }
}

TEST(Gdi_DeleteObject, IsCounted) {
  platform_test::ResetDeleteObjectCount();
  int object = 0;
  EXPECT_TRUE(DeleteObject(&object));
  EXPECT_FALSE(DeleteObject(nullptr));
  EXPECT_EQ(1, platform_test::DeleteObjectCount());
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
