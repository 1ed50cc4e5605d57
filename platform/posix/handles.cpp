// The registry of live handles, and CloseHandle for every kind.
#include <mutex>
#include <unordered_set>

#include "platform/posix/internal.h"

namespace posix_layer {
namespace {

std::mutex& RegistryMutex() {
  static std::mutex m;
  return m;
}

std::unordered_set<HandleObject*>& Registry() {
  static auto* live = new std::unordered_set<HandleObject*>();
  return *live;
}

}  // namespace

HANDLE RegisterHandle(HandleObject* object) {
  std::lock_guard<std::mutex> lock(RegistryMutex());
  Registry().insert(object);
  return object;
}

HandleObject* LookUpHandle(HANDLE handle, HandleObject::Kind kind) {
  std::lock_guard<std::mutex> lock(RegistryMutex());
  auto* object = static_cast<HandleObject*>(handle);
  auto it = Registry().find(object);
  if (it == Registry().end() || (*it)->kind != kind) {
    SetLastError(ERROR_INVALID_HANDLE);
    return nullptr;
  }
  return object;
}

HandleObject* UnregisterHandle(HANDLE handle) {
  std::lock_guard<std::mutex> lock(RegistryMutex());
  auto* object = static_cast<HandleObject*>(handle);
  if (Registry().erase(object) == 0) return nullptr;
  return object;
}

}  // namespace posix_layer

BOOL CloseHandle(HANDLE handle) {
  using posix_layer::HandleObject;
  HandleObject* object = posix_layer::UnregisterHandle(handle);
  if (object == nullptr) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  const bool ok = object->Close();
  delete object;
  return ok ? TRUE : FALSE;
}
