// Drives the settings program, recoctl and recopage as separate processes,
// the way a user and the input-method server meet them: programs started by
// path, the settings file acted on through recoctl's commands and the page
// through recopage's, the server played by "recoctl serve". Windows only.
#ifndef RECO_TESTS_E2E_E2E_DRIVER_H_
#define RECO_TESTS_E2E_E2E_DRIVER_H_

#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include "platform/platform.h"
#include "tests/shared/test_env.h"
#include "tests/test_support.h"

namespace e2e {

using test_support::WString;
using Json = nlohmann::json;

constexpr DWORD kEndTimeoutMs = 20000;

// A child process; one still running when its owner goes is ended by its
// handle, so a failed scenario leaves nothing behind.
class Process {
 public:
  Process() = default;
  ~Process() { Kill(); }
  Process(const Process&) = delete;
  Process& operator=(const Process&) = delete;

  // Starts `program` with the command-line tail `args`; its standard output
  // and error go to `output` (a system path) when given. False on failure.
  bool Start(const WString& program, const std::string& args, const WString& output = WString());
  // Waits up to `timeout_ms` for the end; true with the exit code when it ended.
  bool Wait(DWORD timeout_ms, DWORD* exit_code);
  void Kill();

 private:
  HANDLE process_ = nullptr;
};

struct Output {
  DWORD exit_code = 0xFFFFFFFF;
  std::string text;  // standard output and error
};

// The built programs, from the paths the build gives.
WString RecorangePath();
WString RecoctlPath();
WString RecopagePath();
// The settings file of the data directory the programs resolve.
WString SettingsPath();
// True while some process holds the named section.
bool SectionExists(LPCWSTR name);
// The control `id` of a page state; null when it has none.
Json ControlOf(const Json& state, int id);

// Every case starts with no section and no settings file and ends with
// every process it started gone and both sections released.
class E2ETest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override { Reset(); }
  void Reset();

  // Runs "recoctl args" or "recopage args" to its end (at most 60 s).
  Output Recoctl(const std::string& args) { return Run(RecoctlPath(), args); }
  Output Recopage(const std::string& args) { return Run(RecopagePath(), args); }
  // Runs them and expects success.
  void Do(const std::string& args) { ExpectDone("recoctl " + args, Recoctl(args)); }
  void DoPage(const std::string& args) { ExpectDone("recopage " + args, Recopage(args)); }
  // "recopage state --json", parsed; null when no page is open.
  Json PageState();
  // "recoctl settings export": the settings file's fields by record name.
  Json SettingsFile();

  // Starts "recoctl serve_args" and waits until its window is published.
  void StartServer(const std::string& serve_args);
  // Waits until the server has printed `text`; false after kEndTimeoutMs.
  bool ServerSaid(const std::string& text);
  std::string ServerText();
  // Closes the server's window and returns its "notify ..." lines. Posted
  // once the page's process has ended, the close arrives behind every
  // notification that process posted, so the lines are then complete.
  std::vector<std::string> StopServer();

  // Sets `settings` ("Record.Field=value ...") in the settings file unless
  // empty, starts the program and waits until its page has loaded.
  void OpenPage(const std::string& settings);
  void Check(int id, bool on) { DoPage("check " + std::to_string(id) + (on ? " on" : " off")); }
  // Ends the page with "recopage ok" or "recopage close" and the program with 0.
  void End(const char* how);

  Output Run(const WString& program, const std::string& args);
  static void ExpectDone(const std::string& command, const Output& out);

  test_support::TempDir temp_;
  test_env::TestRegistry registry_{temp_};  // no "Path" naming another installation
  Process page_;
  Process server_;
  HWND server_window_ = nullptr;
};

}  // namespace e2e

#endif  // RECO_TESTS_E2E_E2E_DRIVER_H_
