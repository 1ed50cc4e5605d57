#include "tests/test_support.h"

#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "platform/text_convert.h"

#if defined(_WIN32)
#include <process.h>
#else
#include <spawn.h>
#include <sys/wait.h>
extern char** environ;
#endif

namespace fs = std::filesystem;

namespace test_support {
namespace {

fs::path HostPath(const WString& path) {
#if defined(_WIN32)
  return fs::path(std::wstring(path.begin(), path.end()));
#else
  std::string host = Utf16ToUtf8(path.c_str(), path.size());
  for (char& c : host) {
    if (c == '\\') c = '/';
  }
  return fs::path(host);
#endif
}

WString SystemPath(const fs::path& host) {
#if defined(_WIN32)
  const std::wstring w = host.wstring();
  return WString(w.begin(), w.end());
#else
  WString path = Utf8ToUtf16(host.string());
  for (WCHAR& c : path) {
    if (c == TEXT('/')) c = TEXT('\\');
  }
  return path;
#endif
}

}  // namespace

TempDir::TempDir() {
  static std::atomic<int> counter{0};
  const auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
  fs::path dir = fs::temp_directory_path() /
                 ("reco-test-" + std::to_string(stamp) + "-" + std::to_string(counter++));
  fs::create_directories(dir);
  path_ = SystemPath(dir);
  while (!path_.empty() && path_.back() == TEXT('\\')) path_.pop_back();
}

TempDir::~TempDir() {
  std::error_code ec;
  fs::remove_all(HostPath(path_), ec);
}

bool WriteFileBytes(const WString& path, const Bytes& bytes) {
  std::ofstream out(HostPath(path), std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()),
            static_cast<std::streamsize>(bytes.size()));
  return static_cast<bool>(out);
}

bool ReadFileBytes(const WString& path, Bytes* bytes) {
  std::ifstream in(HostPath(path), std::ios::binary);
  if (!in) return false;
  bytes->assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  return true;
}

bool PathExists(const WString& path) {
  std::error_code ec;
  return fs::exists(HostPath(path), ec);
}

bool IsDirectory(const WString& path) {
  std::error_code ec;
  return fs::is_directory(HostPath(path), ec);
}

Bytes Utf16Bytes(const WString& text, bool bom) {
  Bytes bytes;
  if (bom) bytes = {0xFF, 0xFE};
  for (WCHAR c : text) {
    bytes.push_back(static_cast<uint8_t>(c & 0xFF));
    bytes.push_back(static_cast<uint8_t>((c >> 8) & 0xFF));
  }
  return bytes;
}

WString FromUtf8(const std::string& text) { return Utf8ToUtf16(text); }

std::string ToUtf8(const WString& text) { return Utf16ToUtf8(text.c_str(), text.size()); }

std::string FirstDifference(const Bytes& actual, const Bytes& expected) {
  const size_t common = actual.size() < expected.size() ? actual.size() : expected.size();
  for (size_t i = 0; i < common; ++i) {
    if (actual[i] != expected[i]) {
      std::ostringstream out;
      out << "first difference at offset " << i << ": actual 0x" << std::hex << int(actual[i])
          << ", expected 0x" << int(expected[i]);
      return out.str();
    }
  }
  if (actual.size() != expected.size()) {
    return "sizes differ: actual " + std::to_string(actual.size()) + ", expected " +
           std::to_string(expected.size());
  }
  return "";
}

int RunSelf(const char* variable, const std::string& value) {
#if defined(_WIN32)
  if (_putenv_s(variable, value.c_str()) != 0) return -1;
  const intptr_t code = _spawnl(_P_WAIT, _pgmptr, "child", nullptr);
  _putenv_s(variable, "");
  return static_cast<int>(code);
#else
  if (setenv(variable, value.c_str(), 1) != 0) return -1;
  char arg0[] = "child";
  char* argv[] = {arg0, nullptr};
  pid_t pid = 0;
  const int spawned = posix_spawn(&pid, "/proc/self/exe", nullptr, nullptr, argv, environ);
  unsetenv(variable);
  int status = 0;
  if (spawned != 0 || waitpid(pid, &status, 0) != pid || !WIFEXITED(status)) return -1;
  return WEXITSTATUS(status);
#endif
}

}  // namespace test_support
