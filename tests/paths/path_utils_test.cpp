// Path joins, trims, directory parts and directory trees.
#include <gtest/gtest.h>

#include <cerrno>
#include <string>

#include "paths/path_utils.h"
#include "platform/fault.h"
#include "tests/test_support.h"

using test_support::FromUtf8;
using test_support::IsDirectory;
using test_support::PathExists;
using test_support::TempDir;
using test_support::ToUtf8;
using test_support::WString;

namespace {

TEST(PathUtils_Join, OneBackslashAtTheSeam) {
  struct Case {
    std::string directory;
    std::string relative;
    std::string expected;
  } cases[] = {
      {"\\Programs\\IM\\", "\\Config.ini", "\\Programs\\IM\\Config.ini"},
      {"\\Programs\\IM/ ", "/a", "\\Programs\\IM\\a"},
      {"\\dir", "", "\\dir\\"},
      {"", "a", "\\a"},
      // 4: inner slashes stay; trailing delimiters of the name stay
      {"\\a/b", "c/d\\", "\\a/b\\c/d\\"},
      {"\\dir", "System\\QXLum\\VEQ\\", "\\dir\\System\\QXLum\\VEQ\\"},
      // 6: tabs and spaces are delimiters at the seam
      {"\\dir \t", "\t name", "\\dir\\name"},
      // 7: a name made only of delimiters is kept as it is
      {"\\dir", "\\", "\\dir\\\\"},
      {"\\\\", "a", "\\a"},
  };
  for (const auto& c : cases) {
    WCHAR path[MAX_PATH];
    StringCchCopyW(path, MAX_PATH, FromUtf8(c.directory).c_str());
    EXPECT_EQ(1, JoinPath(path, FromUtf8(c.relative).c_str()));
    EXPECT_EQ(c.expected, ToUtf8(path)) << c.directory << " + " << c.relative;
  }
}

TEST(PathUtils_Join, LongResultsAreCutTo259) {
  const struct {
    size_t directory;
    size_t relative;
  } cases[] = {{200, 100}, {258, 0}, {257, 1}, {259, 10}, {300, 300}};
  for (const auto& c : cases) {
    WCHAR path[MAX_PATH];
    const WString directory = TEXT("\\") + WString(c.directory - 1, TEXT('d'));
    StringCchCopyW(path, MAX_PATH, directory.c_str());
    const WString relative(c.relative, TEXT('r'));
    ASSERT_EQ(1, JoinPath(path, relative.c_str()));
    const WString expected = (directory.substr(0, 259) + TEXT("\\") + relative).substr(0, 259);
    EXPECT_EQ(ToUtf8(expected), ToUtf8(path)) << c.directory << " + " << c.relative;
  }
}

TEST(PathUtils_Join, AbsentArgumentsLeaveTheBuffer) {
  WCHAR path[MAX_PATH] = TEXT("\\keep");
  EXPECT_EQ(0, JoinPath(path, nullptr));
  EXPECT_EQ(0, JoinPath(nullptr, TEXT("a")));
  EXPECT_EQ("\\keep", ToUtf8(path));
}

TEST(PathUtils_Trim, LeadingAndTrailing) {
  struct Case {
    const char* text;
    const char* trailing;
    const char* leading;
  } cases[] = {
      {"", "", ""},
      {"a", "a", "a"},
      {"\\ /\t", "", "\\ /\t"},  // leading: nothing would follow, so nothing moves
      {"/a/b/", "/a/b", "a/b/"},
      {" \tname \t", " \tname", "name \t"},
  };
  for (const Case& c : cases) {
    WCHAR text[MAX_PATH];
    StringCchCopyW(text, MAX_PATH, FromUtf8(c.text).c_str());
    TrimTrailingDelimiters(text);
    EXPECT_EQ(c.trailing, ToUtf8(text)) << "trailing of '" << c.text << "'";
    StringCchCopyW(text, MAX_PATH, FromUtf8(c.text).c_str());
    TrimLeadingDelimiters(text);
    EXPECT_EQ(c.leading, ToUtf8(text)) << "leading of '" << c.text << "'";
  }
  TrimTrailingDelimiters(nullptr);
  TrimLeadingDelimiters(nullptr);
}

TEST(PathUtils_Directory, UpToTheLastBackslash) {
  struct Case {
    const char* path;
    int result;
    const char* out;
  } cases[] = {
      {"\\Windows\\prog.exe", 9, "\\Windows\\"},
      {"prog.exe", -1, "untouched"},
      {"\\", 1, "\\"},
      {"a/b\\c/d", 4, "a/b\\"},
      {"\\dir\\", 5, "\\dir\\"},
  };
  for (const Case& c : cases) {
    WCHAR out[MAX_PATH] = TEXT("untouched");
    EXPECT_EQ(c.result, DirectoryOfPath(FromUtf8(c.path).c_str(), out)) << c.path;
    EXPECT_EQ(c.out, ToUtf8(out)) << c.path;
    EXPECT_EQ(c.result, DirectoryOfPath(FromUtf8(c.path).c_str(), nullptr)) << c.path;
  }
  WCHAR in_place[MAX_PATH] = TEXT("\\Windows\\prog.exe");
  EXPECT_EQ(9, DirectoryOfPath(in_place, in_place));
  EXPECT_EQ("\\Windows\\", ToUtf8(in_place));
  EXPECT_EQ(-1, DirectoryOfPath(nullptr, in_place));
}

TEST(PathUtils_Tree, CreatesPrefixesBeforeBackslashes) {
  struct Case {
    const char* path;  // below the temporary directory
    const char* made;  // directories that must exist afterwards
    const char* not_made;
  } cases[] = {
      {"A\\B\\file.ini", "A\\B", "A\\B\\file.ini"},
      {"C\\D\\", "C\\D", nullptr},
      {"E\\F", "E", "E\\F"},
      {"A\\B\\G\\", "A\\B\\G", nullptr},  // existing directories are no error
  };
  TempDir dir;
  for (const Case& c : cases) {
    const WString path = dir / FromUtf8(c.path);
    EXPECT_EQ(1, CreateDirectoryTree(path.c_str())) << c.path;
    EXPECT_TRUE(IsDirectory(dir / FromUtf8(c.made))) << c.path;
    if (c.not_made != nullptr) {
      EXPECT_FALSE(PathExists(dir / FromUtf8(c.not_made))) << c.path;
    }
  }
  EXPECT_EQ(0, CreateDirectoryTree(nullptr));
  EXPECT_EQ(1, CreateDirectoryTree(TEXT("no backslash")));
}

TEST(PathUtils_Tree, StopsAtAFileInTheWay) {
  TempDir dir;
  ASSERT_TRUE(test_support::WriteFileBytes(dir / TEXT("file"), {0x41}));
  // "file" exists (as a file): that is ERROR_ALREADY_EXISTS, and the walk
  // goes on to "file\sub", which cannot be made.
  EXPECT_EQ(0, CreateDirectoryTree((dir / TEXT("file\\sub\\x.ini")).c_str()));
}

TEST(PathUtils_Tree, StopsAtTheFirstFailure) {
  if (!platform_fault::FaultHookAvailable()) GTEST_SKIP() << "no fault hook on this platform";
  TempDir dir;
  // The temporary directory's own components come first; fail the one
  // after them, and nothing below it is made.
  size_t existing = 0;
  for (WCHAR c : dir.Path()) existing += c == TEXT('\\');
  platform_fault::FailCall(platform_fault::Syscall::kMkdir, EACCES, static_cast<int>(existing));
  EXPECT_EQ(0, CreateDirectoryTree((dir / TEXT("X\\Y\\")).c_str()));
  platform_fault::Reset();
  EXPECT_FALSE(PathExists(dir / TEXT("X")));
}

}  // namespace
