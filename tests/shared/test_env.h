// The process environment a test of the settings and directories needs: its
// own registry, its own locale, its own section names, on both targets.
//
// POSIX: the registry is a file of the test's own (RECO_REGISTRY_FILE) and the
// environment variables are the test's to set. Windows (Wine): the registry
// is the prefix's, shared by every test process of the run, so a test holds a
// named mutex while it uses it and removes the values it set.
#ifndef RECO_TESTS_SHARED_TEST_ENV_H_
#define RECO_TESTS_SHARED_TEST_ENV_H_

#include <cstdlib>
#include <random>
#include <string>

#include "platform/platform.h"
#include "tests/test_support.h"

namespace test_env {

// Sets (value != nullptr) or removes an environment variable; restores the
// old state when it goes out of scope.
class ScopedEnv {
 public:
  ScopedEnv(const char* name, const char* value) : name_(name) {
    const char* old = std::getenv(name);
    had_ = old != nullptr;
    if (had_) old_ = old;
    Set(value);
  }
  ~ScopedEnv() { Set(had_ ? old_.c_str() : nullptr); }
  ScopedEnv(const ScopedEnv&) = delete;
  ScopedEnv& operator=(const ScopedEnv&) = delete;

 private:
  void Set(const char* value) {
#if defined(_WIN32)
    _putenv_s(name_.c_str(), value != nullptr ? value : "");
#else
    if (value != nullptr) setenv(name_.c_str(), value, 1);
    if (value == nullptr) unsetenv(name_.c_str());
#endif
  }
  std::string name_, old_;
  bool had_ = false;
};

// The host's name of a system path: slashes for backslashes on POSIX.
inline std::string HostPath(const test_support::WString& path) {
  std::string host = test_support::ToUtf8(path);
#if !defined(_WIN32)
  for (char& c : host) c = c == '\\' ? '/' : c;
#endif
  return host;
}

// A name no other test process uses, for sections.
inline test_support::WString UniqueName(const char* prefix) {
  std::random_device device;
  return test_support::FromUtf8(std::string(prefix) + "-" + std::to_string(device()) + "-" +
                                std::to_string(device()));
}

// The registry a test may change, empty at the start, as it was at the end.
class TestRegistry {
 public:
#if defined(_WIN32)
  explicit TestRegistry(const test_support::TempDir&)
      : mutex_(CreateMutexW(nullptr, FALSE, L"reco-test-registry")) {
    if (mutex_ != nullptr) WaitForSingleObject(mutex_, INFINITE);
    Clear();
  }
  ~TestRegistry() {
    Clear();
    if (mutex_ != nullptr) ReleaseMutex(mutex_), CloseHandle(mutex_);
  }
#else
  explicit TestRegistry(const test_support::TempDir& dir)
      : file_("RECO_REGISTRY_FILE", HostPath(dir / TEXT("registry")).c_str()) {}
#endif
  TestRegistry(const TestRegistry&) = delete;
  TestRegistry& operator=(const TestRegistry&) = delete;

  // Stores a value under HKEY_LOCAL_MACHINE; true on success.
  static bool Set(LPCWSTR key, LPCWSTR name, DWORD type, const void* data, DWORD size) {
    HKEY handle = nullptr;
    if (RegCreateKeyExW(HKEY_LOCAL_MACHINE, key, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &handle,
                        nullptr) != ERROR_SUCCESS) {
      return false;
    }
    const LONG result = RegSetValueExW(handle, name, 0, type, static_cast<const BYTE*>(data), size);
    RegCloseKey(handle);
    return result == ERROR_SUCCESS;
  }

 private:
#if defined(_WIN32)
  // Everything under the maker's key; a missing key is fine.
  static void Clear() { RegDeleteTreeW(HKEY_LOCAL_MACHINE, L"Software\\Telvar"); }
  HANDLE mutex_;
#else
  ScopedEnv file_;
#endif
};

}  // namespace test_env

#endif  // RECO_TESTS_SHARED_TEST_ENV_H_
