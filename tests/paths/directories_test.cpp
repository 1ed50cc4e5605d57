// The installation directory from the registry or the executable, and the
// data directory under the shell's folder or the installation directory.
#include "paths/directories.h"

#include <gtest/gtest.h>

#include <iterator>
#include <string>

#include "tests/shared/test_env.h"
#include "tests/test_support.h"

using test_support::IsDirectory;
using test_support::PathExists;
using test_support::ToUtf8;
using test_support::WString;

namespace {

class DirectoriesTest : public ::testing::Test {
 protected:
  DirectoriesTest() : registry_(dir_) {}
  // Stores the installation directory's "Path" value.
  static bool SetPath(DWORD type, const WString& value) {
    return test_env::TestRegistry::Set(TEXT("Software\\Telvar\\QXLUM\\VEQ\\About"), TEXT("Path"),
                                       type, value.c_str(),
                                       static_cast<DWORD>((value.size() + 1) * 2));
  }
  test_support::TempDir dir_;
  test_env::TestRegistry registry_;
};

TEST_F(DirectoriesTest, Directories_InstallDirFromRegistryOrExecutable) {
  const WString too_long(MAX_PATH, TEXT('x'));
  struct Case {
    DWORD type;
    const WCHAR* relative;  // value under the temporary folder; nullptr: the value is ""
    BOOL check;
    bool from_registry;
  } const cases[] = {
      {REG_SZ, TEXT("inst\\"), FALSE, true},          // 0: no check: nothing is made
      {REG_EXPAND_SZ, TEXT("inst\\"), FALSE, false},  // 1: not read
      {REG_SZ, nullptr, FALSE, false},                // 2: empty
      {REG_SZ, TEXT("c\\d"), TRUE, true},             // 3: "c" is made; "d" names a file
      {REG_SZ, too_long.c_str(), FALSE, false},       // 4: too long: none of it is kept
  };
  WCHAR self[MAX_PATH] = {0};
  ASSERT_GT(GetModuleFileNameW(nullptr, self, MAX_PATH), 0u);
  const WString exe_dir = WString(self).substr(0, WString(self).rfind(TEXT('\\')) + 1);
  for (size_t row = 0; row < std::size(cases); ++row) {
    SCOPED_TRACE("row " + std::to_string(row));
    const Case& c = cases[row];
    const WString value = c.relative != nullptr ? dir_ / c.relative : WString();
    ASSERT_TRUE(SetPath(c.type, value));
    WCHAR out[MAX_PATH] = {0};
    const WString expected = c.from_registry ? value : exe_dir;
    EXPECT_EQ(static_cast<int>(expected.size()), ResolveInstallDir(out, c.check));
    EXPECT_EQ(ToUtf8(expected), ToUtf8(out));
  }
  EXPECT_FALSE(PathExists(dir_ / TEXT("inst")));
  EXPECT_TRUE(IsDirectory(dir_ / TEXT("c")));
  EXPECT_FALSE(PathExists(dir_ / TEXT("c\\d")));
  // The root is a path of one character.
  ASSERT_TRUE(SetPath(REG_SZ, TEXT("\\")));
  WCHAR root[MAX_PATH] = {0};
  EXPECT_EQ(1, ResolveInstallDir(root, FALSE));
  EXPECT_EQ("\\", ToUtf8(root));
}

TEST_F(DirectoriesTest, Directories_DataDirUnderTheShellFolderOrInstallDir) {
  const WString subfolder = TEXT("System\\QXLum\\VEQ\\");
#if defined(_WIN32)
  // The user's application-data folder of the Wine prefix; Windows always
  // names it and cannot make it too long.
  WCHAR shell[MAX_PATH] = {0};
  ASSERT_GT(ShellFolderPath(shell), 0);
  const WString expected = WString(shell) + TEXT("\\") + subfolder;
  EXPECT_EQ(static_cast<int>(expected.size()), ResolveDataDir());
  EXPECT_EQ(ToUtf8(expected), ToUtf8(DataDir));
  EXPECT_TRUE(IsDirectory(expected));
#else
  const WString home = dir_ / TEXT("home\\data");
  const std::string home_host = test_env::HostPath(home), too_long = "/" + std::string(300, 'x');
  struct Case {
    const char* data_home;  // XDG_DATA_HOME; nullptr: neither it nor HOME is set
    int shell_length;
    const WCHAR* install;
    WString data_dir;
  } const cases[] = {
      {home_host.c_str(), static_cast<int>(home.size()), nullptr, home + TEXT("\\") + subfolder},
      // 1: no shell folder; an installation directory without a trailing backslash
      {nullptr, 0, TEXT("inst"), dir_ / TEXT("inst\\") + subfolder},
      // 2: a shell path too long is a failure
      {too_long.c_str(), -1, TEXT("inst2\\"), dir_ / TEXT("inst2\\") + subfolder},
  };
  for (size_t row = 0; row < std::size(cases); ++row) {
    SCOPED_TRACE("row " + std::to_string(row));
    const Case& c = cases[row];
    test_env::ScopedEnv data_home("XDG_DATA_HOME", c.data_home);
    test_env::ScopedEnv unset_home("HOME", c.data_home != nullptr ? std::getenv("HOME") : nullptr);
    ASSERT_TRUE(c.install == nullptr || SetPath(REG_SZ, dir_ / c.install));
    EXPECT_EQ(c.shell_length, ShellFolderPath(nullptr));
    EXPECT_EQ(static_cast<int>(c.data_dir.size()), ResolveDataDir());
    EXPECT_EQ(ToUtf8(c.data_dir), ToUtf8(DataDir));
    EXPECT_TRUE(IsDirectory(c.data_dir));
  }
#endif
}

}  // namespace
