// The installation directory from the registry or the executable, and the
// data directory under the shell's folder or the installation directory.
#include "paths/directories.h"

#include <gtest/gtest.h>

#include <string>

#include "tests/shared/test_env.h"
#include "tests/test_support.h"

using test_support::IsDirectory;
using test_support::PathExists;
using test_support::TempDir;
using test_support::ToUtf8;
using test_support::WString;

namespace {

const WCHAR kAboutKey[] = TEXT("Software\\Telvar\\QXLUM\\VEQ\\About");

WString ExecutableDirectory() {
  WCHAR path[MAX_PATH] = {0};
  GetModuleFileNameW(nullptr, path, MAX_PATH);
  WString text = path;
  return text.substr(0, text.rfind(TEXT('\\')) + 1);
}

class DirectoriesTest : public ::testing::Test {
 protected:
  DirectoriesTest() : registry_(dir_) {}
  TempDir dir_;
  test_env::TestRegistry registry_;
};

TEST_F(DirectoriesTest, Directories_InstallDirSources) {
  struct Case {
    const char* name;
    DWORD type;             // REG_NONE: no value
    const WCHAR* relative;  // value under the temporary folder; nullptr: the value is ""
    bool from_registry;
  };
  const Case cases[] = {
      {"no key", REG_NONE, nullptr, false},
      {"REG_SZ", REG_SZ, TEXT("inst\\"), true},
      {"REG_EXPAND_SZ is not read", REG_EXPAND_SZ, TEXT("inst\\"), false},
      {"empty REG_SZ", REG_SZ, nullptr, false},
  };
  const WString exe_dir = ExecutableDirectory();
  ASSERT_FALSE(exe_dir.empty());
  for (const Case& c : cases) {
    const WString value = c.relative != nullptr ? dir_ / c.relative : WString();
    if (c.type != REG_NONE) {
      ASSERT_TRUE(test_env::TestRegistry::SetString(kAboutKey, TEXT("Path"), c.type, value))
          << c.name;
    }
    WCHAR out[MAX_PATH] = {0};
    const int length = ResolveInstallDir(out, FALSE);
    const WString expected = c.from_registry ? value : exe_dir;
    EXPECT_EQ(ToUtf8(expected), ToUtf8(out)) << c.name;
    EXPECT_EQ(static_cast<int>(expected.size()), length) << c.name;
    // Without the check nothing is created.
    if (c.from_registry) {
      EXPECT_FALSE(PathExists(value)) << c.name;
    }
  }
}

TEST_F(DirectoriesTest, Directories_CheckCreatesTheRegistryDirectory) {
  struct Case {
    const WCHAR* relative;
    const WCHAR* created;      // must exist afterwards
    const WCHAR* not_created;  // must not
  };
  const Case cases[] = {
      {TEXT("a\\b\\"), TEXT("a\\b"), nullptr},
      // Without a trailing backslash the last component is a file's name.
      {TEXT("c\\d"), TEXT("c"), TEXT("c\\d")},
  };
  for (const Case& c : cases) {
    const WString value = dir_ / c.relative;
    ASSERT_TRUE(test_env::TestRegistry::SetString(kAboutKey, TEXT("Path"), REG_SZ, value));
    EXPECT_EQ(static_cast<int>(value.size()), ResolveInstallDir(nullptr, TRUE)) << ToUtf8(value);
    EXPECT_TRUE(IsDirectory(dir_ / c.created)) << ToUtf8(value);
    if (c.not_created != nullptr) {
      EXPECT_FALSE(PathExists(dir_ / c.not_created)) << ToUtf8(value);
    }
  }
}

TEST_F(DirectoriesTest, Directories_DataDirUnderTheShellFolder) {
#if defined(_WIN32)
  // The user's application-data folder of the Wine prefix.
  WCHAR shell[MAX_PATH] = {0};
  ASSERT_GT(ShellFolderPath(shell), 0);
  const WString base = shell;
#else
  const WString base = dir_ / TEXT("home\\data");
  test_env::ScopedEnv data_home("XDG_DATA_HOME", test_env::HostPath(base).c_str());
  WCHAR shell[MAX_PATH] = {0};
  EXPECT_EQ(static_cast<int>(base.size()), ShellFolderPath(shell));
  EXPECT_EQ(ToUtf8(base), ToUtf8(shell));
#endif
  const WString expected = base + TEXT("\\System\\QXLum\\VEQ\\");
  EXPECT_EQ(static_cast<int>(expected.size()), ResolveDataDir());
  EXPECT_EQ(ToUtf8(expected), ToUtf8(DataDir));
  EXPECT_TRUE(IsDirectory(expected));
}

TEST_F(DirectoriesTest, Directories_DataDirFallsBackToInstallDir) {
#if defined(_WIN32)
  GTEST_SKIP() << "the shell of Windows always names the application-data folder";
#else
  // No shell folder: no XDG_DATA_HOME and no HOME.
  test_env::ScopedEnv data_home("XDG_DATA_HOME", nullptr);
  test_env::ScopedEnv home("HOME", nullptr);
  EXPECT_EQ(0, ShellFolderPath(nullptr));
  const WString install = dir_ / TEXT("inst");  // no trailing backslash
  ASSERT_TRUE(test_env::TestRegistry::SetString(kAboutKey, TEXT("Path"), REG_SZ, install));
  const WString expected = install + TEXT("\\System\\QXLum\\VEQ\\");
  EXPECT_EQ(static_cast<int>(expected.size()), ResolveDataDir());
  EXPECT_EQ(ToUtf8(expected), ToUtf8(DataDir));
  EXPECT_TRUE(IsDirectory(expected));
#endif
}

TEST_F(DirectoriesTest, Directories_ShellPathTooLongIsAFailure) {
#if defined(_WIN32)
  GTEST_SKIP() << "the application-data folder of Windows cannot be made too long";
#else
  const std::string long_path = "/" + std::string(300, 'x');
  test_env::ScopedEnv data_home("XDG_DATA_HOME", long_path.c_str());
  WCHAR shell[MAX_PATH] = {TEXT('?'), 0};
  EXPECT_EQ(-1, ShellFolderPath(shell));
  EXPECT_EQ(TEXT('?'), shell[0]);
  // The data directory then lives under the installation directory.
  const WString install = dir_ / TEXT("inst\\");
  ASSERT_TRUE(test_env::TestRegistry::SetString(kAboutKey, TEXT("Path"), REG_SZ, install));
  ResolveDataDir();
  EXPECT_EQ(ToUtf8(install + TEXT("System\\QXLum\\VEQ\\")), ToUtf8(DataDir));
#endif
}

}  // namespace
