// The two section holders: who created a section, who zeroes the server
// block, reopening, and two processes sharing both sections.
#include "shared/sections.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "tests/shared/test_env.h"
#include "tests/test_support.h"

using test_support::ToUtf8;
using test_support::WString;

namespace {

constexpr char kChildPreferenceVariable[] = "RECO_TEST_CHILD_PREFERENCE";
constexpr char kChildServerVariable[] = "RECO_TEST_CHILD_SERVER";

TEST(Sections_Preference, SecondHolderFindsTheSectionExisting) {
  const WString name = test_env::UniqueName("reco-pref");
  PreferenceSection first;
  ASSERT_TRUE(first.Open(name.c_str()));
  EXPECT_FALSE(first.Existed());
  ASSERT_NE(nullptr, first.Block());
  EXPECT_NE(nullptr, first.Handle());
  // A new section is all zeros, up to its last byte.
  const auto* bytes = reinterpret_cast<const unsigned char*>(first.Block());
  size_t nonzero = 0;
  for (size_t i = 0; i < sizeof(PreferenceBlock); ++i) nonzero += bytes[i] != 0;
  EXPECT_EQ(0u, nonzero);

  // The last byte, so the whole block is shared.
  reinterpret_cast<unsigned char*>(first.Block())[sizeof(PreferenceBlock) - 1] = 0x5A;
  PreferenceSection second;
  ASSERT_TRUE(second.Open(name.c_str()));
  EXPECT_TRUE(second.Existed());
  EXPECT_EQ(0x5A, reinterpret_cast<unsigned char*>(second.Block())[sizeof(PreferenceBlock) - 1]);
  second.Release();
  EXPECT_EQ(nullptr, second.Block());
  EXPECT_EQ(nullptr, second.Handle());
  first.Release();
}

TEST(Sections_Preference, GoneWithItsLastHolder) {
  const WString name = test_env::UniqueName("reco-pref");
  PreferenceSection first;
  ASSERT_TRUE(first.Open(name.c_str()));
  first.Block()->NumRange = 7;
  first.Release();
  PreferenceSection again;
  ASSERT_TRUE(again.Open(name.c_str()));
  EXPECT_FALSE(again.Existed());
  EXPECT_EQ(0u, again.Block()->NumRange);
  again.Release();
}

TEST(Sections_Server, OnlyTheCreatorZeroesTheBlock) {
  const WString name = test_env::UniqueName("reco-server");
  ServerSection creator;
  ASSERT_TRUE(creator.Open(name.c_str()));
  ASSERT_NE(nullptr, creator.Block());
  creator.Block()->ServerWindow = 0x1234;
  creator.Block()->SettingsWindow = 0x5678;

  ServerSection opener;
  ASSERT_TRUE(opener.Open(name.c_str()));
  ASSERT_NE(nullptr, opener.Block());
  EXPECT_EQ(0x1234u, opener.Block()->ServerWindow);
  EXPECT_EQ(0x5678u, opener.Block()->SettingsWindow);
  opener.Release();
  creator.Release();
}

TEST(Sections_Server, ReopenReleasesFirst) {
  const WString name = test_env::UniqueName("reco-server");
  ServerSection holder;
  ASSERT_TRUE(holder.Open(name.c_str()));
  holder.Block()->SettingsWindow = 0x5678;
  // Had the first mapping been kept, the section would still exist and keep
  // its value; released first, it is created afresh.
  ASSERT_TRUE(holder.Open(name.c_str()));
  EXPECT_EQ(0u, holder.Block()->SettingsWindow);

  // With another holder keeping it alive, the reopened view sees the value.
  ServerSection other;
  ASSERT_TRUE(other.Open(name.c_str()));
  other.Block()->SettingsWindow = 0x9ABC;
  ASSERT_TRUE(holder.Open(name.c_str()));
  EXPECT_EQ(0x9ABCu, holder.Block()->SettingsWindow);
  holder.Release();
  other.Release();
}

// The executable of this test, as the host's shell names it.
std::string OwnExecutable() {
  WCHAR path[MAX_PATH] = {0};
  GetModuleFileNameW(nullptr, path, MAX_PATH);
  return test_env::HostPath(path);
}

TEST(Sections_TwoProcesses, ChildSeesTheParentsBlocks) {
  const WString preference = test_env::UniqueName("reco-pref");
  const WString server = test_env::UniqueName("reco-server");
  PreferenceSection parent_preference;
  ASSERT_TRUE(parent_preference.Open(preference.c_str()));
  ServerSection parent_server;
  ASSERT_TRUE(parent_server.Open(server.c_str()));
  parent_preference.Block()->NumRange = 0x12345678;
  parent_server.Block()->SettingsWindow = 0xABCD;

  test_env::ScopedEnv child_preference(kChildPreferenceVariable, ToUtf8(preference).c_str());
  test_env::ScopedEnv child_server(kChildServerVariable, ToUtf8(server).c_str());
  const std::string command =
      "\"" + OwnExecutable() + "\" --gtest_filter=Sections_Child.* --gtest_brief=1";
  EXPECT_EQ(0, std::system(command.c_str())) << command;
  // The child's answer, written into the shared block.
  EXPECT_EQ(77u, parent_preference.Block()->ExtendSize);
  EXPECT_EQ(0xABCDu, parent_server.Block()->SettingsWindow);
  EXPECT_EQ(0x4321u, parent_server.Block()->ServerWindow);
  parent_server.Release();
  parent_preference.Release();
}

// Runs only in the child process started by the test above.
TEST(Sections_Child, OpensTheParentsSections) {
  const char* preference = std::getenv(kChildPreferenceVariable);
  const char* server = std::getenv(kChildServerVariable);
  if (preference == nullptr || server == nullptr || preference[0] == 0) {
    GTEST_SKIP() << "started by Sections_TwoProcesses only";
  }
  PreferenceSection preference_section;
  ASSERT_TRUE(preference_section.Open(test_support::FromUtf8(preference).c_str()));
  EXPECT_TRUE(preference_section.Existed());
  EXPECT_EQ(0x12345678u, preference_section.Block()->NumRange);
  ServerSection server_section;
  ASSERT_TRUE(server_section.Open(test_support::FromUtf8(server).c_str()));
  EXPECT_EQ(0xABCDu, server_section.Block()->SettingsWindow);
  preference_section.Block()->ExtendSize = 77;
  server_section.Block()->ServerWindow = 0x4321;
  server_section.Release();
  preference_section.Release();
}

}  // namespace
