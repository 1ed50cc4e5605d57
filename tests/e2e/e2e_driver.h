// Drives the settings program and recoctl as separate processes, the way a
// user and the input-method server meet them: programs started by path,
// the page acted on through recoctl's page commands, the server played by
// "recoctl serve". Windows only.
#ifndef RECO_TESTS_E2E_E2E_DRIVER_H_
#define RECO_TESTS_E2E_E2E_DRIVER_H_

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "platform/platform.h"
#include "shared/preference_block.h"
#include "tests/test_support.h"

namespace e2e {

using test_support::WString;
using Json = nlohmann::json;

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
  bool Started() const { return process_ != nullptr; }

 private:
  HANDLE process_ = nullptr;
};

struct Output {
  DWORD exit_code = 0xFFFFFFFF;
  std::string text;  // standard output and error
};

// "recoctl serve", the stand-in input-method server.
class Server {
 public:
  // Starts it with its output in `output` (a system path) and waits until
  // its window is published. False when it does not come up.
  bool Start(const WString& output);
  // Closes its window and waits for its end. Posted once the page's process
  // has ended, the close arrives behind every notification that process
  // posted, so the output is then complete.
  bool Stop(DWORD* exit_code);
  // Its "notify ..." lines so far.
  std::vector<std::string> Notifications() const;
  std::string Text() const;

 private:
  Process process_;
  WString output_;
  HWND window_ = nullptr;
};

// The built programs, from the paths the build gives.
WString RecorangePath();
WString RecoctlPath();

// Runs "recoctl args" to its end (at most 60 s).
Output Recoctl(const std::string& args);
// "recoctl page state --json", parsed; null when no page is open.
Json PageState();
// The control `id` of a page state; null when it has none.
Json ControlOf(const Json& state, int id);

// False where no window can be made (under Wine, without an X display).
bool CanMakeWindows();

// A plain visible window of the test's own, made the foreground window, so
// that a test can see another program take the foreground from it.
class ForegroundWindow {
 public:
  ForegroundWindow();
  ~ForegroundWindow();
  ForegroundWindow(const ForegroundWindow&) = delete;
  ForegroundWindow& operator=(const ForegroundWindow&) = delete;
  HWND Window() const { return window_; }

 private:
  HWND window_ = nullptr;
};

// The window a page state names.
HWND WindowOf(const Json& state);

// True while some process holds the named section.
bool SectionExists(LPCWSTR name);

// The settings file of the data directory the program resolves.
WString SettingsPath();
// Writes the settings file as the program would write it back from the
// defaults changed by `edit`, followed by a marker section that the
// program's own write-back does not keep.
void WriteSettings(const std::function<void(PreferenceBlock*)>& edit);
// True while the file still carries the marker, i.e. the program has not
// written it back since WriteSettings.
bool SettingsUntouched();
// The settings file loaded as a new block would load it.
std::unique_ptr<PreferenceBlock> ReadSettings();

}  // namespace e2e

#endif  // RECO_TESTS_E2E_E2E_DRIVER_H_
