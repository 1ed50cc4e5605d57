#include "fuzz/fuzz_support.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <filesystem>

namespace fuzz_support {
namespace {

std::string g_scratch_dir;

void RemoveScratchDir() {
  std::error_code ignored;
  std::filesystem::remove_all(g_scratch_dir, ignored);
}

const std::string& ScratchDir() {
  if (g_scratch_dir.empty()) {
    // In memory where the machine has it: every close of a file written
    // flushes it to the disk, which on a real disk costs more than the run.
    char in_memory[] = "/dev/shm/reco-fuzz-XXXXXX";
    char on_disk[] = "/tmp/reco-fuzz-XXXXXX";
    const char* made = mkdtemp(in_memory);
    if (made == nullptr) made = mkdtemp(on_disk);
    if (made == nullptr) {
      std::perror("mkdtemp");
      std::abort();
    }
    g_scratch_dir = made;
    std::atexit(RemoveScratchDir);
  }
  return g_scratch_dir;
}

}  // namespace

void Fail(const char* condition, const std::string& detail, const char* file, int line) {
  std::fprintf(stderr, "\n%s:%d: check failed: %s\n  %s\n", file, line, condition, detail.c_str());
  std::fflush(stderr);
  std::abort();
}

ScratchFile MakeScratchFile(const char* name) {
  ScratchFile result;
  result.host_path = ScratchDir() + "/" + name;
  // Scratch paths are plain ASCII, so each byte is one unit.
  for (char c : result.host_path) result.system_path.push_back(c == '/' ? u'\\' : WCHAR(c));
  return result;
}

// Plain system calls: the file target writes and reads a file for every
// input, and stdio would add its buffer and its own calls to each.
bool WriteHostFile(const std::string& host_path, const uint8_t* data, size_t size) {
  const int fd = open(host_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
  if (fd < 0) return false;
  size_t done = 0;
  while (done < size) {
    const ssize_t n = write(fd, data + done, size - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    done += static_cast<size_t>(n);
  }
  return close(fd) == 0 && done == size;
}

bool ReadHostFile(const std::string& host_path, std::vector<uint8_t>* bytes) {
  bytes->clear();
  const int fd = open(host_path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  uint8_t buffer[65536];
  ssize_t n;
  while ((n = read(fd, buffer, sizeof buffer)) != 0) {
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) break;
    bytes->insert(bytes->end(), buffer, buffer + n);
  }
  close(fd);
  return n == 0;
}

std::string Show(const WCHAR* text, size_t length) {
  std::string out = "\"";
  for (size_t i = 0; i < length; ++i) {
    const WCHAR c = text[i];
    if (c >= 0x20 && c < 0x7F && c != '\\' && c != '"') {
      out.push_back(static_cast<char>(c));
    } else {
      char escape[8];
      std::snprintf(escape, sizeof escape, "\\u%04X", static_cast<unsigned>(c));
      out += escape;
    }
  }
  return out + "\"";
}

std::string Show(const WString& text) { return Show(text.data(), text.size()); }

WCHAR FoldAscii(WCHAR c) { return c >= u'A' && c <= u'Z' ? WCHAR(c - u'A' + u'a') : c; }

bool EqualNoCase(const WString& a, const WString& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (FoldAscii(a[i]) != FoldAscii(b[i])) return false;
  }
  return true;
}

}  // namespace fuzz_support

// AddressSanitizer keeps 256 MiB of freed memory in quarantine by default, so
// nearly every allocation of a run lands on a page not touched for long: on
// this kind of virtual machine the page faults and cross-CPU TLB flushes that
// follow took half of each run. A small quarantine keeps the heap warm and
// still holds every object an input's checks free long after their use.
extern "C" const char* __asan_default_options() { return "quarantine_size_mb=8"; }
