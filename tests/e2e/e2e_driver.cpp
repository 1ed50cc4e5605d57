#include "tests/e2e/e2e_driver.h"

#include <sstream>

#include "paths/directories.h"
#include "settings/settings_file.h"
#include "settings/settings_replace.h"
#include "shared/sections.h"

namespace e2e {
namespace {

constexpr DWORD kCommandTimeoutMs = 60000;
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

std::string FileText(const WString& path) {
  test_support::Bytes bytes;
  if (!test_support::ReadFileBytes(path, &bytes)) return "";
  return std::string(bytes.begin(), bytes.end());
}

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

WString RecorangePath() { return ProgramPath(RECO_RECORANGE_EXE); }
WString RecoctlPath() { return ProgramPath(RECO_RECOCTL_EXE); }
WString RecopagePath() { return ProgramPath(RECO_RECOPAGE_EXE); }

WString SettingsPath() {
  ResolveDataDir();
  return WString(DataDir) + kSettingsFileName;
}

bool SectionExists(LPCWSTR name) {
  HANDLE handle = OpenFileMappingW(FILE_MAP_READ, FALSE, name);
  if (handle == nullptr) return false;
  CloseHandle(handle);
  return true;
}

Json ControlOf(const Json& state, int id) {
  if (!state.is_object()) return Json();
  for (const Json& control : state["controls"]) {
    if (control["id"] == id) return control;
  }
  return Json();
}

void E2ETest::SetUp() {
  HWND probe = CreateWindowExW(0, L"Static", L"", WS_OVERLAPPED, 0, 0, 10, 10, nullptr, nullptr,
                               GetModuleHandleW(nullptr), nullptr);
  // Under Wine, without an X display.
  if (probe == nullptr) GTEST_SKIP() << "no display: the program's windows cannot be made";
  DestroyWindow(probe);
  Reset();
}

// Ends whatever the previous case left running, checks that the named
// sections went with it, and removes the settings file.
void E2ETest::Reset() {
  page_.Kill();
  server_.Kill();
  for (int i = 0;
       i < 250 && (SectionExists(kPreferenceSectionName) || SectionExists(kServerSectionName));
       ++i) {
    Sleep(kPollMs);
  }
  EXPECT_FALSE(SectionExists(kPreferenceSectionName)) << "the preference section lingers";
  EXPECT_FALSE(SectionExists(kServerSectionName)) << "the server section lingers";
  SettingsFiles files;
  ASSERT_TRUE(MakeSettingsFiles(SettingsPath().c_str(), &files));
  for (LPCWSTR name :
       {files.file, files.temp, files.pending, files.file_aside, files.pending_aside}) {
    DeleteFileW(name);
  }
}

Output E2ETest::Run(const WString& program, const std::string& args) {
  Output result;
  const WString output = temp_ / L"command.txt";
  Process process;
  if (!process.Start(program, args, output) ||
      !process.Wait(kCommandTimeoutMs, &result.exit_code)) {
    result.text = test_support::ToUtf8(program) + " " + args + " did not run to its end";
    return result;
  }
  result.text = FileText(output);
  return result;
}

void E2ETest::ExpectDone(const std::string& command, const Output& out) {
  EXPECT_EQ(0u, out.exit_code) << command << ": " << out.text;
}

Json E2ETest::PageState() {
  const Output state = Recopage("state --json");
  if (state.exit_code != 0) return Json();
  return Json::parse(state.text, nullptr, false);
}

Json E2ETest::SettingsFile() {
  return Json::parse(Recoctl("settings export").text, nullptr, false);
}

void E2ETest::StartServer(const std::string& serve_args) {
  ASSERT_TRUE(server_.Start(RecoctlPath(), serve_args, temp_ / L"serve.txt"));
  // The line goes on with " section=..." once the window's number is whole.
  ASSERT_TRUE(ServerSaid(" section=")) << ServerText();
  const std::string text = ServerText();
  server_window_ = WordToWindow(
      static_cast<DWORD>(std::stoul(text.substr(text.find("window=") + 7), nullptr, 16)));
}

bool E2ETest::ServerSaid(const std::string& text) {
  const ULONGLONG deadline = GetTickCount64() + kEndTimeoutMs;
  while (ServerText().find(text) == std::string::npos) {
    if (GetTickCount64() >= deadline) return false;
    Sleep(kPollMs);
  }
  return true;
}

std::string E2ETest::ServerText() { return FileText(temp_ / L"serve.txt"); }

std::vector<std::string> E2ETest::StopServer() {
  PostMessageW(server_window_, WM_CLOSE, 0, 0);
  DWORD code = 0xFFFFFFFF;
  EXPECT_TRUE(server_.Wait(kEndTimeoutMs, &code));
  EXPECT_EQ(0u, code) << ServerText();
  std::vector<std::string> lines;
  std::istringstream in(ServerText());
  for (std::string line; std::getline(in, line);) {
    if (line.rfind("notify ", 0) == 0) lines.push_back(line);
  }
  return lines;
}

void E2ETest::OpenPage(const std::string& settings) {
  if (!settings.empty()) Do("settings set " + settings);
  ASSERT_TRUE(page_.Start(RecorangePath(), ""));
  const Output wait = Recopage("wait --timeout 30");
  ASSERT_EQ(0u, wait.exit_code) << wait.text;
}

void E2ETest::End(const char* how) {
  DoPage(how);
  DWORD code = 0xFFFFFFFF;
  EXPECT_TRUE(page_.Wait(kEndTimeoutMs, &code)) << "the program did not end";
  EXPECT_EQ(0u, code);
}

}  // namespace e2e
