// The two section holders: who created a section, who zeroes the server
// block, what a release and a reopening clear, and how a copy of the tool
// meets another that is building the preference block: it waits for the
// build, and fails when the builder holds on past the bound or died
// holding the mutex. That a name is free again after its last close is the
// platform's sections test; the program's own copies meet in the
// end-to-end tests.
#include "shared/sections.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <string>
#include <thread>

#include "tests/fault_loop.h"
#include "tests/shared/test_env.h"
#include "tests/test_support.h"

namespace {

using std::chrono::milliseconds;
using test_support::FromUtf8;

constexpr char kChildVariable[] = "RECO_BUILDER_CHILD";
constexpr unsigned char kBuilt = 0x5A;  // the last byte of a finished block

unsigned char& LastByte(PreferenceSection* section) {
  return reinterpret_cast<unsigned char*>(section->Block())[sizeof(PreferenceBlock) - 1];
}

void Build(PreferenceSection* section) { LastByte(section) = kBuilt; }
// One slow enough for another copy to start within it; one that ends the
// process midway.
void SlowBuild(PreferenceSection* s) { std::this_thread::sleep_for(milliseconds(300)), Build(s); }
void DyingBuild(PreferenceSection*) { std::exit(0); }

// A private section and builder mutex, named after one stem.
struct Names {
  std::string stem = test_support::ToUtf8(test_env::UniqueName("reco-build"));
  test_support::WString section = FromUtf8(stem + "-section"), mutex = FromUtf8(stem + "-mutex");
};

// The other copy, in a process of its own, exits with 0 when its start
// succeeds: 'b' + stem builds slowly; 'c' + stem gives up after 300 ms;
// 'd' + stem ends in the middle of its build.
[[maybe_unused]] const int kChildHook = [] {
  const char* request = std::getenv(kChildVariable);
  if (request == nullptr) return 0;
  const Names n{request + 1};
  PreferenceSection section;
  std::exit(!section.OpenBuilt(request[0] == 'd' ? &DyingBuild : &SlowBuild, n.section.c_str(),
                               n.mutex.c_str(), request[0] == 'c' ? 300 : kBuilderWaitMs));
}();

TEST(Sections_Builder, CopyWaitsForTheBuildOfAnotherProcess) {
  const Names n;
  int child = -1;
  std::thread builder([&] { child = test_support::RunSelf(kChildVariable, "b" + n.stem); });
  HANDLE server = nullptr;  // holds the section, as the server does, past its builder's end
  for (int i = 0; i < 2000 && !(server = OpenFileMappingW(FILE_MAP_READ, FALSE, n.section.c_str()));
       ++i) {
    std::this_thread::sleep_for(milliseconds(5));
  }
  PreferenceSection copy;
  const bool opened = copy.OpenBuilt(nullptr, n.section.c_str(), n.mutex.c_str());
  const unsigned char seen = opened ? LastByte(&copy) : 0;  // as found, not as left later
  builder.join();
  EXPECT_EQ(0, child) << "the builder's own start failed";
  ASSERT_TRUE(server != nullptr && opened);
  EXPECT_EQ(kBuilt, seen) << "the copy read the block before its build ended";
  copy.Release();
  EXPECT_EQ(nullptr, copy.Block());
  CloseHandle(server);
}

// This process holds the mutex, as a builder does before the section
// exists, past the bound of a copy in another process: the copy gives up,
// never having made the section.
TEST(Sections_Builder, CopyGivesUpPastTheBound) {
  const Names n;
  HANDLE mutex = CreateMutexW(nullptr, FALSE, n.mutex.c_str());
  ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(mutex, 0));
  int child = -1;
  std::thread copy([&] { child = test_support::RunSelf(kChildVariable, "c" + n.stem); });
  std::this_thread::sleep_for(milliseconds(150));  // the copy waits by now
  EXPECT_EQ(nullptr, OpenFileMappingW(FILE_MAP_READ, FALSE, n.section.c_str()))
      << "the copy made the section before it had the mutex";
  copy.join();
  EXPECT_EQ(1, child) << "the copy went on past its bound";
  EXPECT_TRUE(ReleaseMutex(mutex) && CloseHandle(mutex));
}

// The builder's process ends in the middle of its build while a copy holds
// a handle of the mutex, as one already waiting does: the copy fails. (With
// no handle left, a later start builds afresh: the crash loop below.)
TEST(Sections_Builder, CopyFailsWhenTheBuilderDied) {
  const Names n;
  HANDLE waiting = CreateMutexW(nullptr, FALSE, n.mutex.c_str());
  ASSERT_EQ(0, test_support::RunSelf(kChildVariable, "d" + n.stem));
  PreferenceSection copy;
  EXPECT_FALSE(copy.OpenBuilt(&Build, n.section.c_str(), n.mutex.c_str()));
  EXPECT_EQ(nullptr, copy.Block());
  CloseHandle(waiting);
}

// Natively, each call of a start failing, or ending the process, in turn:
// the start builds the block or fails holding nothing, and whatever it left
// behind, the next start builds.
TEST(Sections_Builder, EveryFailedCallLeavesTheNextStartFree) {
  if (!platform_fault::FaultHookAvailable()) GTEST_SKIP() << "no fault hook on this platform";
  const Names n;
  PreferenceSection section, next;
  const auto open = [&](PreferenceSection* s) {
    return s->OpenBuilt(&Build, n.section.c_str(), n.mutex.c_str(), 0);
  };
  const auto check = [&](long call, bool) {
    EXPECT_TRUE(section.Block() == nullptr || LastByte(&section) == kBuilt) << "call " << call;
    section.Release();
    EXPECT_TRUE(open(&next) && !next.Existed() && LastByte(&next) == kBuilt) << "call " << call;
    next.Release();
  };
  EXPECT_GT(fault_loop::ForEachFailedCall([&] { open(&section); }, check), 10);
  EXPECT_GT(fault_loop::ForEachCrash([&] { open(&section); }, check), 10);
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
  EXPECT_TRUE(opener.Block() == nullptr && opener.Handle() == nullptr);
}

}  // namespace
