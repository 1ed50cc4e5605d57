#include "tests/e2e/e2e_driver.h"

#include <cstring>
#include <sstream>

#include "paths/directories.h"
#include "shared/sections.h"
#include "shared/settings.h"
#include "tests/shared/test_env.h"

namespace e2e {
namespace {

constexpr DWORD kRecoctlTimeoutMs = 60000;
constexpr DWORD kServerStartTimeoutMs = 20000;
constexpr DWORD kPollMs = 20;

// The build gives host paths; under Wine the host's root is drive Z:.
WString ProgramPath(const char* built) {
  WString path = test_support::FromUtf8(built);
  for (WCHAR& c : path) {
    if (c == L'/') c = L'\\';
  }
  if (!path.empty() && path[0] == L'\\') path = L"Z:" + path;
  return path;
}

test_support::TempDir& Scratch() {
  static test_support::TempDir dir;
  return dir;
}

WString ScratchFile(const char* stem) {
  static int serial = 0;
  return Scratch() / test_support::FromUtf8(std::string(stem) + std::to_string(++serial) + ".txt");
}

std::string FileText(const WString& path) {
  test_support::Bytes bytes;
  if (!test_support::ReadFileBytes(path, &bytes)) return "";
  return std::string(bytes.begin(), bytes.end());
}

// A comment line: a rewrite keeps every key and section of the old file,
// but not its comments.
const WString kMarker = L"; untouched\r\n";

}  // namespace

bool Process::Start(const WString& program, const std::string& args, const WString& output) {
  Kill();
  WString command = L"\"" + program + L"\" " + test_support::FromUtf8(args);
  STARTUPINFOW startup = {};
  startup.cb = sizeof(startup);
  HANDLE file = INVALID_HANDLE_VALUE;
  if (!output.empty()) {
    SECURITY_ATTRIBUTES inherit = {sizeof(inherit), nullptr, TRUE};
    file = CreateFileW(output.c_str(), GENERIC_WRITE,
                       FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, &inherit,
                       CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = file;
    startup.hStdError = file;
  }
  PROCESS_INFORMATION info = {};
  const BOOL started =
      CreateProcessW(program.c_str(), &command[0], nullptr, nullptr, file != INVALID_HANDLE_VALUE,
                     CREATE_NO_WINDOW, nullptr, nullptr, &startup, &info);
  if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
  if (!started) return false;
  CloseHandle(info.hThread);
  process_ = info.hProcess;
  return true;
}

bool Process::Wait(DWORD timeout_ms, DWORD* exit_code) {
  if (process_ == nullptr || WaitForSingleObject(process_, timeout_ms) != WAIT_OBJECT_0) {
    return false;
  }
  GetExitCodeProcess(process_, exit_code);
  CloseHandle(process_);
  process_ = nullptr;
  return true;
}

void Process::Kill() {
  if (process_ == nullptr) return;
  TerminateProcess(process_, 99);
  WaitForSingleObject(process_, 10000);
  CloseHandle(process_);
  process_ = nullptr;
}

bool Server::Start(const WString& output) {
  output_ = output;
  if (!process_.Start(RecoctlPath(), "serve", output_)) return false;
  const ULONGLONG deadline = GetTickCount64() + kServerStartTimeoutMs;
  while (GetTickCount64() < deadline) {
    const std::string text = Text();
    const size_t at = text.find("serving window=");
    if (at != std::string::npos && text.find('\n', at) != std::string::npos) {
      window_ = WordToWindow(static_cast<DWORD>(std::stoul(text.substr(at + 15), nullptr, 16)));
      return IsWindow(window_) != FALSE;
    }
    Sleep(kPollMs);
  }
  return false;
}

bool Server::Stop(DWORD* exit_code) {
  PostMessageW(window_, WM_CLOSE, 0, 0);
  return process_.Wait(kServerStartTimeoutMs, exit_code);
}

std::string Server::Text() const { return FileText(output_); }

std::vector<std::string> Server::Notifications() const {
  std::vector<std::string> lines;
  std::istringstream in(Text());
  std::string line;
  while (std::getline(in, line)) {
    if (line.rfind("notify ", 0) == 0) lines.push_back(line);
  }
  return lines;
}

WString RecorangePath() { return ProgramPath(RECO_RECORANGE_EXE); }
WString RecoctlPath() { return ProgramPath(RECO_RECOCTL_EXE); }

Output Recoctl(const std::string& args) {
  Output result;
  const WString output = ScratchFile("recoctl");
  Process process;
  if (!process.Start(RecoctlPath(), args, output) ||
      !process.Wait(kRecoctlTimeoutMs, &result.exit_code)) {
    result.text = "recoctl " + args + " did not run to its end";
    return result;
  }
  result.text = FileText(output);
  DeleteFileW(output.c_str());
  return result;
}

Json PageState() {
  const Output state = Recoctl("page state --json");
  if (state.exit_code != 0) return Json();
  return Json::parse(state.text, nullptr, false);
}

Json ControlOf(const Json& state, int id) {
  if (!state.is_object()) return Json();
  for (const Json& control : state["controls"]) {
    if (control["id"] == id) return control;
  }
  return Json();
}

bool CanMakeWindows() {
  HWND probe = CreateWindowExW(0, L"Static", L"", WS_OVERLAPPED, 0, 0, 10, 10, nullptr, nullptr,
                               GetModuleHandleW(nullptr), nullptr);
  if (probe == nullptr) return false;
  DestroyWindow(probe);
  return true;
}

ForegroundWindow::ForegroundWindow() {
  window_ = CreateWindowExW(0, L"Static", L"e2e", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 200, 100,
                            nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
  if (window_ != nullptr) SetForegroundWindow(window_);
}

ForegroundWindow::~ForegroundWindow() {
  if (window_ != nullptr) DestroyWindow(window_);
}

HWND WindowOf(const Json& state) {
  if (!state.is_object() || !state["window"].is_string()) return nullptr;
  return WordToWindow(
      static_cast<DWORD>(std::stoul(state["window"].get<std::string>(), nullptr, 16)));
}

bool SectionExists(LPCWSTR name) {
  HANDLE handle = OpenFileMappingW(FILE_MAP_READ, FALSE, name);
  if (handle == nullptr) return false;
  CloseHandle(handle);
  return true;
}

WString SettingsPath() {
  ResolveDataDir();
  return WString(DataDir) + kSettingsFileName;
}

void WriteSettings(const std::function<void(PreferenceBlock*)>& edit) {
  DeleteFileW(SettingsPath().c_str());
  PreferenceSection section;
  if (!section.Open(test_env::UniqueName("e2e-settings").c_str())) return;
  LoadRecoSettings(&section, DataDir);
  edit(section.Block());
  WriteBackSettings(&section);
  section.Release();
  test_support::Bytes bytes;
  test_support::ReadFileBytes(SettingsPath(), &bytes);
  const test_support::Bytes marker = test_support::Utf16Bytes(kMarker, false);
  bytes.insert(bytes.end(), marker.begin(), marker.end());
  test_support::WriteFileBytes(SettingsPath(), bytes);
}

bool SettingsUntouched() {
  test_support::Bytes bytes;
  if (!test_support::ReadFileBytes(SettingsPath(), &bytes)) return false;
  const test_support::Bytes marker = test_support::Utf16Bytes(kMarker, false);
  return std::search(bytes.begin(), bytes.end(), marker.begin(), marker.end()) != bytes.end();
}

std::unique_ptr<PreferenceBlock> ReadSettings() {
  auto copy = std::make_unique<PreferenceBlock>();
  PreferenceSection section;
  if (!section.Open(test_env::UniqueName("e2e-read").c_str())) return nullptr;
  ResolveDataDir();
  LoadRecoSettings(&section, DataDir);
  std::memcpy(copy.get(), section.Block(), sizeof(PreferenceBlock));
  section.Release();
  return copy;
}

}  // namespace e2e
