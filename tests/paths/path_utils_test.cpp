// Path joins, directory parts and directory trees.
#include <gtest/gtest.h>

#include <string>

#include "paths/path_utils.h"
#include "tests/test_support.h"

using test_support::FromUtf8;
using test_support::IsDirectory;
using test_support::PathExists;
using test_support::TempDir;
using test_support::ToUtf8;
using test_support::WString;

namespace {

// The trims are the seam of a join: the directory's trailing delimiters and
// the name's leading ones go, unless nothing would follow them in the name.
TEST(PathUtils_Join, OneBackslashAtTheSeam) {
  const auto d = [](size_t length) { return "\\" + std::string(length - 1, 'd'); };
  const struct {
    std::string directory, relative, expected;
  } cases[] = {
      {"\\Programs\\IM\\", "\\Config.ini", "\\Programs\\IM\\Config.ini"},
      // 1: slashes, tabs and spaces are delimiters at the seam
      {"\\Programs\\IM/ \t", "\t /a", "\\Programs\\IM\\a"},
      // 2: inner slashes stay; trailing delimiters of the name stay
      {"\\a/b", "c/d\\", "\\a/b\\c/d\\"},
      // 3: a name made only of delimiters is kept as it is; a directory made
      // only of them goes
      {"\\dir", "\\", "\\dir\\\\"},
      {"\\\\", "a", "\\a"},
      // 5: a result over 259 characters is cut, the backslash too
      {d(200), std::string(100, 'r'), d(200) + "\\" + std::string(58, 'r')},
      {d(258), "", d(258) + "\\"},
      {d(259), "r", d(259)},
  };
  for (const auto& c : cases) {
    WCHAR path[MAX_PATH];
    StringCchCopyW(path, MAX_PATH, FromUtf8(c.directory).c_str());
    EXPECT_EQ(1, JoinPath(path, FromUtf8(c.relative).c_str()));
    EXPECT_EQ(c.expected, ToUtf8(path)) << c.directory << " + " << c.relative;
  }
  // Absent arguments leave the buffer alone.
  WCHAR path[MAX_PATH] = TEXT("\\keep");
  EXPECT_EQ(0, JoinPath(path, nullptr));
  EXPECT_EQ(0, JoinPath(nullptr, TEXT("a")));
  EXPECT_EQ("\\keep", ToUtf8(path));
  TrimTrailingDelimiters(nullptr);
  TrimLeadingDelimiters(nullptr);
}

TEST(PathUtils_Directory, UpToTheLastBackslash) {
  struct Case {
    const char* path;
    int result;
    const char* out;  // the path's own buffer afterwards
  } cases[] = {
      {"\\Windows\\prog.exe", 9, "\\Windows\\"},
      {"prog.exe", -1, "prog.exe"},
      {"a/b\\c/d", 4, "a/b\\"},
      {"\\dir\\", 5, "\\dir\\"},
  };
  for (const Case& c : cases) {
    WCHAR path[MAX_PATH];
    StringCchCopyW(path, MAX_PATH, FromUtf8(c.path).c_str());
    EXPECT_EQ(c.result, DirectoryOfPath(path, nullptr)) << c.path;
    EXPECT_EQ(c.result, DirectoryOfPath(path, path)) << c.path;
    EXPECT_EQ(c.out, ToUtf8(path)) << c.path;
  }
  EXPECT_EQ(-1, DirectoryOfPath(nullptr, nullptr));
}

TEST(PathUtils_Tree, CreatesPrefixesBeforeBackslashes) {
  TempDir dir;
  EXPECT_EQ(1, CreateDirectoryTree((dir / TEXT("A\\B\\file.ini")).c_str()));
  EXPECT_TRUE(IsDirectory(dir / TEXT("A\\B")));
  EXPECT_FALSE(PathExists(dir / TEXT("A\\B\\file.ini")));
  // Existing directories are no error; a trailing backslash makes the last.
  EXPECT_EQ(1, CreateDirectoryTree((dir / TEXT("A\\B\\G\\")).c_str()));
  EXPECT_TRUE(IsDirectory(dir / TEXT("A\\B\\G")));
  // A file in the way is ERROR_ALREADY_EXISTS, and the walk goes on to
  // "file\sub", which cannot be made.
  ASSERT_TRUE(test_support::WriteFileBytes(dir / TEXT("file"), {0x41}));
  EXPECT_EQ(0, CreateDirectoryTree((dir / TEXT("file\\sub\\x.ini")).c_str()));
  EXPECT_EQ(0, CreateDirectoryTree(nullptr));
}

}  // namespace
