// Walks an operation system call by call, SQLite's way: once with the Nth
// call failing, for every N until the operation runs through, and once with
// the process ended at the Nth call, as a crash or a power cut would end it
// (POSIX only: the calls are counted by our own layer, platform/fault.h).
#ifndef RECO_TESTS_FAULT_LOOP_H_
#define RECO_TESTS_FAULT_LOOP_H_

#include <gtest/gtest.h>

#include "platform/fault.h"

#if !defined(_WIN32)
#include <sys/wait.h>
#include <unistd.h>
#endif

namespace fault_loop {

// Runs `action` with call n failing, then `check(n, completed)`, for n = 1, 2,
// ... until `action` makes fewer than n calls (`completed`). Returns the
// number of calls of the complete run.
template <typename Action, typename Check>
long ForEachFailedCall(Action action, Check check) {
  for (long n = 1;; ++n) {
    platform_fault::Reset();
    platform_fault::FailNthCall(n);
    action();
    const bool completed = platform_fault::CallCount() < n;
    platform_fault::Reset();
    check(n, completed);
    if (completed || ::testing::Test::HasFatalFailure()) return n - 1;
  }
}

// The same, with `action` run in a child process that ends at call n.
template <typename Action, typename Check>
long ForEachCrash(Action action, Check check) {
#if defined(_WIN32)
  (void)action;
  (void)check;
  return 0;
#else
  for (long n = 1;; ++n) {
    const pid_t child = fork();
    if (child == 0) {
      platform_fault::Reset();
      platform_fault::CrashAtNthCall(n);
      action();
      _exit(0);
    }
    int status = 0;
    EXPECT_EQ(child, waitpid(child, &status, 0));
    EXPECT_TRUE(WIFEXITED(status)) << "call " << n << ": status " << status;
    const int code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    EXPECT_TRUE(code == 0 || code == platform_fault::kCrashExitCode) << "call " << n;
    check(n, code == 0);
    if (code != platform_fault::kCrashExitCode || ::testing::Test::HasFailure()) return n - 1;
  }
#endif
}

}  // namespace fault_loop

#endif  // RECO_TESTS_FAULT_LOOP_H_
