// WindowBase holds one window handle; DialogBase runs a dialog modally from
// a template resource and routes its messages to virtual operations through
// one static dialog procedure. Nothing outside this process sees these
// objects (the dialog manager keeps only the object's address, in DWL_USER),
// so the order of the virtual operations is free.
#ifndef RECO_APP_WINDOW_BASE_H_
#define RECO_APP_WINDOW_BASE_H_

#include "platform/platform.h"

class WindowBase {
 public:
  WindowBase() = default;
  // Destroys the held window, if any.
  virtual ~WindowBase();
  WindowBase(const WindowBase&) = delete;
  WindowBase& operator=(const WindowBase&) = delete;

  // The window while it exists; nullptr before it is made and after it is
  // destroyed.
  HWND Window() const { return window_; }

 protected:
  HWND window_ = nullptr;
};

class DialogBase : public WindowBase {
 public:
  // Per-object message handler. This fallback routes WM_DESTROY (and then
  // forgets the window, which is gone), WM_INITDIALOG (storing the window
  // first) and WM_COMMAND, and returns 0 (not handled) for everything else.
  virtual INT_PTR WindowProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
  virtual INT_PTR OnCommand(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
  virtual INT_PTR OnInitDialog(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
  virtual INT_PTR OnDestroy(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
  virtual INT_PTR OnClose(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
  // Runs the dialog template `template_id` of `instance` modally with this
  // object as its creation parameter; returns what the dialog ended with,
  // or -1 when the template cannot be found or loaded or the dialog cannot
  // be made.
  INT_PTR DoModal(HINSTANCE instance, int template_id, HWND owner);

  // The one dialog procedure: WM_INITDIALOG binds lParam (the object) to the
  // dialog's user word; every later message goes to that object's
  // WindowProc. Messages before WM_INITDIALOG reach no object and give 0.
  static INT_PTR CALLBACK StaticDialogProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam);

 protected:
  HINSTANCE instance_ = nullptr;
};

#endif  // RECO_APP_WINDOW_BASE_H_
