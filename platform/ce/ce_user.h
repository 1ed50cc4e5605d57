// Windows CE 5.0 windowing calls the system makes: messages, window words,
// drawing, windows and dialogs, and the fonts of the screen. Signatures as
// the CE 5.0 pages print them, in their W form.
#ifndef RECO_PLATFORM_CE_CE_USER_H_
#define RECO_PLATFORM_CE_CE_USER_H_

#include "platform/ce/ce_types.h"

extern "C" {

// ---- Messages -------------------------------------------------------------------------------

#define WM_DESTROY 0x0002
#define WM_CLOSE 0x0010
#define WM_INITDIALOG 0x0110
#define WM_COMMAND 0x0111
#define IDOK 1

// Buttons (check boxes).
#define BM_GETCHECK 0x00F0
#define BM_SETCHECK 0x00F1
#define BST_CHECKED 0x0001

// Combo boxes. CB_INSERTSTRING with index -1 appends.
#define CB_GETCOUNT 0x0146
#define CB_GETCURSEL 0x0147
#define CB_GETLBTEXT 0x0148
#define CB_GETLBTEXTLEN 0x0149
#define CB_INSERTSTRING 0x014A
#define CB_SETCURSEL 0x014E
#define CB_GETITEMDATA 0x0150
#define CB_SETITEMDATA 0x0151
#define CB_ERR (-1)

// WM_SETREDRAW is not declared: on CE only list boxes, combo boxes and tree
// views act on it, and the window manager gives it no default processing,
// so a dialog sent it keeps drawing.

LRESULT WINAPI SendMessageW(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
// Below WM_USER, a posted message may carry no pointer.
BOOL WINAPI PostMessageW(HWND window, UINT message, WPARAM wparam, LPARAM lparam);

// ---- Window words ----------------------------------------------------------------------------

// CE has no SetWindowLongPtr/GetWindowLongPtr and no DWLP_ offsets: a window
// word is 32 bits, and a pointer fits it. Offsets are multiples of 4.
#define GWL_EXSTYLE (-20)
#define DWL_USER 8

// The OK button in the caption, a style that exists only on CE.
#define WS_EX_CAPTIONOKBTN 0x80000000L

LONG WINAPI GetWindowLongW(HWND window, int index);
LONG WINAPI SetWindowLongW(HWND window, int index, LONG new_long);

// ---- Windows ------------------------------------------------------------------------------------

BOOL WINAPI IsWindow(HWND window);
BOOL WINAPI DestroyWindow(HWND window);
BOOL WINAPI SetWindowTextW(HWND window, LPCWSTR text);
int WINAPI GetWindowTextW(HWND window, LPWSTR text, int max_count);
// CE brings back the last active owned window too when the handle has its
// lowest bit set (see CeSetForegroundWindow in ce_shell.h).
BOOL WINAPI SetForegroundWindow(HWND window);

// ---- Dialogs ------------------------------------------------------------------------------------

// The template is only passed on, never looked into.
typedef struct DLGTEMPLATE DLGTEMPLATE;
typedef const DLGTEMPLATE* LPCDLGTEMPLATEW;
// CE's dialog procedure returns BOOL, which is INT_PTR on a 32-bit CE.
typedef BOOL(CALLBACK* DLGPROC)(HWND, UINT, WPARAM, LPARAM);

HWND WINAPI GetDlgItem(HWND dialog, int id);
BOOL WINAPI EndDialog(HWND dialog, int result);
int WINAPI DialogBoxIndirectParamW(HINSTANCE instance, LPCDLGTEMPLATEW dialog_template, HWND owner,
                                   DLGPROC dialog_proc, LPARAM init_param);

// ---- Device contexts and fonts -----------------------------------------------------------------

#define LF_FACESIZE 32
#define DEFAULT_CHARSET 1

typedef struct LOGFONTW {
  LONG lfHeight;
  LONG lfWidth;
  LONG lfEscapement;
  LONG lfOrientation;
  LONG lfWeight;
  BYTE lfItalic;
  BYTE lfUnderline;
  BYTE lfStrikeOut;
  BYTE lfCharSet;
  BYTE lfOutPrecision;
  BYTE lfClipPrecision;
  BYTE lfQuality;
  BYTE lfPitchAndFamily;
  WCHAR lfFaceName[LF_FACESIZE];
} LOGFONTW, *LPLOGFONTW;
static_assert(sizeof(LOGFONTW) == 92, "LOGFONTW as CE lays it out");

// The physical attributes the enumeration hands over; never looked into.
typedef struct TEXTMETRICW TEXTMETRICW;
typedef int(CALLBACK* FONTENUMPROCW)(const LOGFONTW*, const TEXTMETRICW*, DWORD, LPARAM);

HDC WINAPI GetDC(HWND window);
int WINAPI ReleaseDC(HWND window, HDC dc);
BOOL WINAPI DeleteObject(HGDIOBJ object);
// CE: `flags` must be 0, and the query's lfPitchAndFamily too.
int WINAPI EnumFontFamiliesExW(HDC dc, LPLOGFONTW query, FONTENUMPROCW proc, LPARAM param,
                               DWORD flags);

}  // extern "C"

#endif  // RECO_PLATFORM_CE_CE_USER_H_
