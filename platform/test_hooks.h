// Test-only views into the platform layer.
#ifndef RECO_PLATFORM_TEST_HOOKS_H_
#define RECO_PLATFORM_TEST_HOOKS_H_

namespace platform_test {

// Successful DeleteObject calls since the start or the last reset. Only our
// own POSIX layer counts; on Windows the count is -1 (tests that need it
// skip there).
long DeleteObjectCount();
void ResetDeleteObjectCount();

// Makes DeleteAndRenameFile fail with ERROR_NOT_SUPPORTED, as it does on a CE
// volume whose file system does not export it, or work again; for the
// fallback of the settings write-back. Both platforms.
void SetDeleteAndRenameSupported(bool supported);

}  // namespace platform_test

#endif  // RECO_PLATFORM_TEST_HOOKS_H_
