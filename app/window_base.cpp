#include "app/window_base.h"

WindowBase::~WindowBase() {
  if (window_ != nullptr) {
    DestroyWindow(window_);
    window_ = nullptr;
  }
}

INT_PTR DialogBase::WindowProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_DESTROY: {
      const INT_PTR result = OnDestroy(window, message, wparam, lparam);
      // The handle is gone with the window, and may name another one later:
      // the destructor must not destroy it.
      window_ = nullptr;
      return result;
    }
    case WM_INITDIALOG:
      window_ = window;
      return OnInitDialog(window, message, wparam, lparam);
    case WM_COMMAND:
      return OnCommand(window, message, wparam, lparam);
    default:
      return 0;
  }
}

INT_PTR DialogBase::OnCommand(HWND, UINT, WPARAM, LPARAM) { return 0; }

INT_PTR DialogBase::OnInitDialog(HWND, UINT, WPARAM, LPARAM) { return 0; }

INT_PTR DialogBase::OnDestroy(HWND, UINT, WPARAM, LPARAM) { return 0; }

INT_PTR DialogBase::OnClose(HWND, UINT, WPARAM, LPARAM) { return 0; }

INT_PTR DialogBase::DoModal(HINSTANCE instance, int template_id, HWND owner) {
  instance_ = instance;
  HRSRC resource = FindResourceW(instance, MAKEINTRESOURCEW(template_id), RT_DIALOG);
  HGLOBAL loaded = resource != nullptr ? LoadResource(instance, resource) : nullptr;
  const auto* dialog_template =
      loaded != nullptr ? static_cast<LPCDLGTEMPLATEW>(LockResource(loaded)) : nullptr;
  // Without a template the dialog fails as the dialog manager reports it.
  if (dialog_template == nullptr) return -1;
  return DialogBoxIndirectParamW(instance, dialog_template, owner, StaticDialogProc,
                                 reinterpret_cast<LPARAM>(this));
}

// The object lives in the dialog's DWL_USER word, which holds a pointer whole
// only where a pointer is 32 bits, as on the device; a wider build stops here.
static_assert(sizeof(DialogBase*) == sizeof(LONG), "DWL_USER holds a 32-bit pointer");

INT_PTR CALLBACK DialogBase::StaticDialogProc(HWND window, UINT message, WPARAM wparam,
                                              LPARAM lparam) {
  DialogBase* dialog = nullptr;
  if (message == WM_INITDIALOG) {
    dialog = reinterpret_cast<DialogBase*>(lparam);
    SetWindowLongW(window, DWL_USER, reinterpret_cast<LONG>(dialog));
  } else {
    dialog = reinterpret_cast<DialogBase*>(GetWindowLongW(window, DWL_USER));
  }
  if (dialog == nullptr) return 0;
  return dialog->WindowProc(window, message, wparam, lparam);
}
