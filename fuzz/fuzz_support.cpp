#include "fuzz/fuzz_support.h"

#include <unistd.h>

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

bool WriteHostFile(const std::string& host_path, const uint8_t* data, size_t size) {
  FILE* file = std::fopen(host_path.c_str(), "wb");
  if (file == nullptr) return false;
  const bool written = size == 0 || std::fwrite(data, 1, size, file) == size;
  return std::fclose(file) == 0 && written;
}

bool ReadHostFile(const std::string& host_path, std::vector<uint8_t>* bytes) {
  bytes->clear();
  FILE* file = std::fopen(host_path.c_str(), "rb");
  if (file == nullptr) return false;
  uint8_t buffer[4096];
  size_t count;
  while ((count = std::fread(buffer, 1, sizeof buffer, file)) > 0) {
    bytes->insert(bytes->end(), buffer, buffer + count);
  }
  const bool ok = std::ferror(file) == 0;
  std::fclose(file);
  return ok;
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
