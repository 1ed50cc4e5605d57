// Helpers of the builder tests: installation trees written from small
// inline INI texts, a fresh block in a section of the test's own, and text
// fields read back as UTF-8 for comparison and failure messages. The tests
// live in namespace builder_test and find these names unqualified.
#ifndef RECO_TESTS_BUILDER_BUILDER_TEST_UTIL_H_
#define RECO_TESTS_BUILDER_BUILDER_TEST_UTIL_H_

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "builder/text_tables.h"
#include "paths/path_utils.h"
#include "platform/platform.h"
#include "shared/sections.h"
#include "tests/shared/test_env.h"
#include "tests/test_support.h"

namespace builder_test {

using test_support::FromUtf8;
using test_support::TempDir;
using test_support::ToUtf8;
using test_support::WString;

// Writes an installation tree given as one text: a line ">path" starts the
// file at that path under `dir`, and the lines up to the next such line are
// its INI text (no other ">" may appear), written in UTF-16LE with a
// byte-order mark, in folders made for it.
inline void WriteTree(const TempDir& dir, const std::string& tree) {
  for (size_t at = tree.find('>'); at != std::string::npos;) {
    const size_t eol = tree.find('\n', at), next = tree.find('>', eol);
    const WString path = dir / FromUtf8(tree.substr(at + 1, eol - at - 1));
    const std::string text = tree.substr(eol + 1, next - eol - 1);  // the last file: to the end
    CreateDirectoryTree(path.c_str());
    ASSERT_TRUE(test_support::WriteFileBytes(path, test_support::Utf16Bytes(FromUtf8(text))))
        << ToUtf8(path);
    at = next;
  }
}

// A text field up to its first zero, never past the field, in UTF-8.
inline std::string Utf8(const WCHAR* field, size_t units) {
  return ToUtf8(WString(field, std::find(field, field + units, WCHAR{0})));
}
template <size_t N>
std::string Utf8(const WCHAR (&field)[N]) {
  return Utf8(field, N);
}

// text(i) for every i below `count`, "|"-joined. Counts come from a shared
// block, so the walk stops at the table's `room` and says how many are past.
template <class Text>
std::string Join(DWORD count, DWORD room, Text text) {
  std::string out;
  for (DWORD i = 0; i < count && i < room; ++i) out += (i == 0 ? "" : "|") + text(i);
  return count > room ? out + "|+" + std::to_string(count - room) : out;
}

// The text in the slot of `row` of `table`'s region in `block`.
inline std::string SlotText(const PreferenceBlock& block, const TextTable& table,
                            const TextRow& row) {
  const BYTE* region = reinterpret_cast<const BYTE*>(&block) + table.BlockOffset;
  return Utf8(reinterpret_cast<const WCHAR*>(region + row.Slot), row.Capacity);
}

inline bool AllZero(const void* region, size_t size) {
  const auto* bytes = static_cast<const unsigned char*>(region);
  return std::all_of(bytes, bytes + size, [](unsigned char b) { return b == 0; });
}

// An installation directory as the system passes it: with its final
// backslash.
inline WString InstallDirOf(const TempDir& dir) { return dir.Path() + TEXT("\\"); }

// A new, all-zero preference block in a section no other process uses.
struct FreshBlock : PreferenceSection {
  FreshBlock() : opened(Open(test_env::UniqueName("builder-test").c_str()) && !Existed()) {}
  // A holder's own destructor leaves the section mapped.
  ~FreshBlock() override { Release(); }
  PreferenceBlock* operator->() const { return Block(); }
  PreferenceBlock& operator*() const { return *Block(); }
  const bool opened;
};

// A case of a loader: the tree it reads, as WriteTree takes it, and the
// description of what it stored.
struct Row {
  std::string tree, expected;
};

// For every row: the row's tree in a new installation directory, a fresh
// block, load(block, directory with its final backslash), then
// describe(block) against the row, with the directory shown as "~\".
template <size_t N, class Load, class Describe>
void ExpectRows(const Row (&rows)[N], Load load, Describe describe) {
  for (size_t i = 0; i < N; ++i) {
    TempDir dir;
    WriteTree(dir, rows[i].tree);
    FreshBlock block;
    ASSERT_TRUE(block.opened);
    load(block, InstallDirOf(dir));
    std::string actual = describe(*block);
    const std::string root = ToUtf8(InstallDirOf(dir));
    for (size_t at; (at = actual.find(root)) != std::string::npos;)
      actual.replace(at, root.size(), "~\\");
    EXPECT_EQ(rows[i].expected, actual) << "row " << i << ":\n" << rows[i].tree;
  }
}

}  // namespace builder_test

#endif  // RECO_TESTS_BUILDER_BUILDER_TEST_UTIL_H_
