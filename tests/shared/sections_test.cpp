// The two section holders: who created a section, who zeroes the server
// block, reopening, and two processes sharing both sections.
#include "shared/sections.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <string>

#include "tests/shared/test_env.h"
#include "tests/test_support.h"

namespace {

// The last byte of the block, so that the whole block is seen to be shared.
unsigned char& LastByte(PreferenceSection& section) {
  return reinterpret_cast<unsigned char*>(section.Block())[sizeof(PreferenceBlock) - 1];
}

TEST(Sections_Preference, ExistedFlagAndGoneWithItsLastHolder) {
  const test_support::WString name = test_env::UniqueName("reco-pref");
  PreferenceSection first, second, again;
  ASSERT_TRUE(first.Open(name.c_str()));
  EXPECT_FALSE(first.Existed());
  EXPECT_NE(nullptr, first.Handle());
  // A new section is all zeros, up to its last byte.
  const auto* bytes = reinterpret_cast<const unsigned char*>(first.Block());
  EXPECT_EQ(sizeof(PreferenceBlock),
            static_cast<size_t>(std::count(bytes, bytes + sizeof(PreferenceBlock), 0)));

  LastByte(first) = 0x5A;
  ASSERT_TRUE(second.Open(name.c_str()));
  EXPECT_TRUE(second.Existed());
  EXPECT_EQ(0x5A, LastByte(second));
  second.Release();
  EXPECT_EQ(nullptr, second.Block());
  EXPECT_EQ(nullptr, second.Handle());
  first.Release();
  ASSERT_TRUE(again.Open(name.c_str()));
  EXPECT_FALSE(again.Existed());
  EXPECT_EQ(0, LastByte(again));
  again.Release();
}

TEST(Sections_Server, OnlyTheCreatorZeroesAndReopenReleasesFirst) {
  const test_support::WString name = test_env::UniqueName("reco-server");
  ServerSection creator, opener;
  ASSERT_TRUE(creator.Open(name.c_str()));
  ASSERT_NE(nullptr, creator.Block());
  creator.Block()->ServerWindow = 0x1234;
  creator.Block()->SettingsWindow = 0x5678;
  ASSERT_TRUE(opener.Open(name.c_str()));
  EXPECT_EQ(0x1234u, opener.Block()->ServerWindow);
  EXPECT_EQ(0x5678u, opener.Block()->SettingsWindow);
  // Reopened while another holder keeps the section: found as it was.
  ASSERT_TRUE(opener.Open(name.c_str()));
  EXPECT_EQ(0x5678u, opener.Block()->SettingsWindow);
  // Reopened as its last holder: released first, so created afresh.
  creator.Release();
  ASSERT_TRUE(opener.Open(name.c_str()));
  EXPECT_EQ(0u, opener.Block()->SettingsWindow);
  opener.Release();
}

const char kChildVariable[] = "RECO_TEST_CHILD_SECTIONS";

TEST(Sections_TwoProcesses, ChildSeesTheParentsBlocks) {
  const test_support::WString preference = test_env::UniqueName("reco-pref");
  const test_support::WString server = test_env::UniqueName("reco-server");
  PreferenceSection parent_preference;
  ServerSection parent_server;
  ASSERT_TRUE(parent_preference.Open(preference.c_str()));
  ASSERT_TRUE(parent_server.Open(server.c_str()));
  parent_preference.Block()->NumRange = 0x12345678;
  parent_server.Block()->SettingsWindow = 0xABCD;

  const std::string names = test_support::ToUtf8(preference + TEXT("|") + server);
  test_env::ScopedEnv child(kChildVariable, names.c_str());
  WCHAR self[MAX_PATH] = {0};
  GetModuleFileNameW(nullptr, self, MAX_PATH);
  const std::string command =
      "\"" + test_env::HostPath(self) + "\" --gtest_filter=Sections_Child.* --gtest_brief=1";
  EXPECT_EQ(0, std::system(command.c_str())) << command;
  // The child's answer, written into the shared blocks.
  EXPECT_EQ(77u, parent_preference.Block()->ExtendSize);
  EXPECT_EQ(0xABCDu, parent_server.Block()->SettingsWindow);
  EXPECT_EQ(0x4321u, parent_server.Block()->ServerWindow);
  parent_server.Release();
  parent_preference.Release();
}

// Runs only in the child process started by the test above.
TEST(Sections_Child, OpensTheParentsSections) {
  const char* names = std::getenv(kChildVariable);
  if (names == nullptr || std::strchr(names, '|') == nullptr) {
    GTEST_SKIP() << "started by Sections_TwoProcesses only";
  }
  const std::string text = names;
  PreferenceSection preference;
  ServerSection server;
  ASSERT_TRUE(preference.Open(test_support::FromUtf8(text.substr(0, text.find('|'))).c_str()));
  ASSERT_TRUE(server.Open(test_support::FromUtf8(text.substr(text.find('|') + 1)).c_str()));
  EXPECT_TRUE(preference.Existed());
  EXPECT_EQ(0x12345678u, preference.Block()->NumRange);
  EXPECT_EQ(0xABCDu, server.Block()->SettingsWindow);
  preference.Block()->ExtendSize = 77;
  server.Block()->ServerWindow = 0x4321;
  server.Release();
  preference.Release();
}

}  // namespace
