// The two section holders: who created a section, who zeroes the server
// block, what a release and a reopening clear. That a name is free again
// after its last close is the platform's sections test; two processes
// sharing the sections are the end-to-end tests' concern.
#include "shared/sections.h"

#include <gtest/gtest.h>

#include "tests/shared/test_env.h"
#include "tests/test_support.h"

namespace {

TEST(Sections_Preference, ExistedFlagAndRelease) {
  const test_support::WString name = test_env::UniqueName("reco-pref");
  PreferenceSection first, second;
  ASSERT_TRUE(first.Open(name.c_str()));
  EXPECT_FALSE(first.Existed());
  // The last byte of the block, so that the whole block is seen to be shared.
  reinterpret_cast<unsigned char*>(first.Block())[sizeof(PreferenceBlock) - 1] = 0x5A;
  ASSERT_TRUE(second.Open(name.c_str()));
  EXPECT_TRUE(second.Existed());
  EXPECT_EQ(0x5A, reinterpret_cast<unsigned char*>(second.Block())[sizeof(PreferenceBlock) - 1]);
  second.Release();
  EXPECT_EQ(nullptr, second.Block());
  EXPECT_EQ(nullptr, second.Handle());
  first.Release();
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
  // Reopened as its last holder: released first, so created afresh.
  creator.Release();
  ASSERT_TRUE(opener.Open(name.c_str()));
  EXPECT_EQ(0u, opener.Block()->SettingsWindow);
  opener.Release();
}

}  // namespace
