#pragma once

// The window, message, display, cursor, message-box, keyboard-layout and clipboard
// services of Win32 (user32) as the engine calls them, over SDL2.
//
// Behaviour that differs from a Windows desktop, by design:
// - Frame metrics are 0: SDL sizes the client area, so a window's outer rectangle is its
//   client rectangle.
// - The desktop mode never changes. ChangeDisplaySettingsA reports success and changes
//   nothing; a window without a caption placed at the screen origin becomes a
//   desktop-sized full-screen window (the drawing layer letterboxes its back buffer in it).
// - ShowCursor is absolute (shown or hidden), not a counter.
// - The close button sends WM_CLOSE to the window procedure (delivered inside
//   PeekMessageA, as Win32 delivers sent messages); a PostMessageA(WM_CLOSE) goes through
//   the queue. WM_ACTIVATE is sent as well; WM_SIZE, WM_PAINT, WM_MOUSEMOVE,
//   WM_NCMOUSELEAVE, WM_DROPFILES, WM_SYSKEYDOWN and WM_SYSKEYUP are posted.

#include "platform/win32/UserTypes.h"

// ---------------------------------------------------------------------------------------
// Messages
inline constexpr UINT WM_NULL = 0x0000;
inline constexpr UINT WM_CREATE = 0x0001;
inline constexpr UINT WM_DESTROY = 0x0002;
inline constexpr UINT WM_SIZE = 0x0005;
inline constexpr UINT WM_ACTIVATE = 0x0006;
inline constexpr UINT WM_PAINT = 0x000F;
inline constexpr UINT WM_CLOSE = 0x0010;
inline constexpr UINT WM_QUIT = 0x0012;
inline constexpr UINT WM_NCMOUSEMOVE = 0x00A0;
inline constexpr UINT WM_KEYDOWN = 0x0100;
inline constexpr UINT WM_KEYUP = 0x0101;
inline constexpr UINT WM_SYSKEYDOWN = 0x0104;
inline constexpr UINT WM_SYSKEYUP = 0x0105;
inline constexpr UINT WM_MOUSEMOVE = 0x0200;
inline constexpr UINT WM_DROPFILES = 0x0233;
inline constexpr UINT WM_NCMOUSELEAVE = 0x02A2;
inline constexpr UINT WM_USER = 0x0400;

// WM_ACTIVATE: low word of wParam.
inline constexpr WPARAM WA_INACTIVE = 0;
inline constexpr WPARAM WA_ACTIVE = 1;
inline constexpr WPARAM WA_CLICKACTIVE = 2;

// WM_SIZE: wParam; lParam is the client width (low word) and height (high word).
inline constexpr WPARAM SIZE_RESTORED = 0;
inline constexpr WPARAM SIZE_MINIMIZED = 1;
inline constexpr WPARAM SIZE_MAXIMIZED = 2;

// WM_SYSKEYDOWN / WM_SYSKEYUP lParam bits: repeat count (0-15), scan code (16-23),
// extended key (24), Alt held (29), previous state (30), transition (31).
inline constexpr LPARAM KF_EXTENDED_BIT = 1 << 24;
inline constexpr LPARAM KF_ALTDOWN_BIT = 1 << 29;

// PeekMessageA
inline constexpr UINT PM_NOREMOVE = 0;
inline constexpr UINT PM_REMOVE = 1;

// ---------------------------------------------------------------------------------------
// Window classes, styles and placement
typedef LRESULT (*WNDPROC)(HWND, UINT, WPARAM, LPARAM);

struct WNDCLASSEXA {
  UINT cbSize;  // sizeof(WNDCLASSEXA)
  UINT style;
  WNDPROC lpfnWndProc;
  int cbClsExtra;
  int cbWndExtra;
  HINSTANCE hInstance;
  HICON hIcon;
  HCURSOR hCursor;
  HBRUSH hbrBackground;
  LPCSTR lpszMenuName;
  LPCSTR lpszClassName;
  HICON hIconSm;
};

// What WM_CREATE's lParam points to.
struct CREATESTRUCTA {
  LPVOID lpCreateParams;
  HINSTANCE hInstance;
  HMENU hMenu;
  HWND hwndParent;
  int cy;
  int cx;
  int y;
  int x;
  LONG style;
  LPCSTR lpszName;
  LPCSTR lpszClass;
  DWORD dwExStyle;
};

inline constexpr DWORD WS_POPUP = 0x80000000u;
inline constexpr DWORD WS_VISIBLE = 0x10000000u;
inline constexpr DWORD WS_CLIPCHILDREN = 0x02000000u;
inline constexpr DWORD WS_CAPTION = 0x00C00000u;
inline constexpr DWORD WS_SYSMENU = 0x00080000u;
inline constexpr DWORD WS_MINIMIZEBOX = 0x00020000u;
inline constexpr DWORD WS_EX_ACCEPTFILES = 0x00000010u;
inline constexpr DWORD WS_EX_WINDOWEDGE = 0x00000100u;
inline constexpr DWORD WS_EX_APPWINDOW = 0x00040000u;

inline constexpr int CW_USEDEFAULT = static_cast<int>(0x80000000u);

inline constexpr int GWL_STYLE = -16;
inline constexpr int GWL_EXSTYLE = -20;

inline constexpr int SW_HIDE = 0;
inline constexpr int SW_SHOWNORMAL = 1;
inline constexpr int SW_SHOWMINIMIZED = 2;
inline constexpr int SW_SHOWMAXIMIZED = 3;
inline constexpr int SW_SHOWNOACTIVATE = 4;
inline constexpr int SW_SHOW = 5;
inline constexpr int SW_MINIMIZE = 6;
inline constexpr int SW_SHOWNA = 8;
inline constexpr int SW_RESTORE = 9;

inline constexpr UINT SWP_NOSIZE = 0x0001;
inline constexpr UINT SWP_NOMOVE = 0x0002;
inline constexpr UINT SWP_NOZORDER = 0x0004;
inline constexpr UINT SWP_NOACTIVATE = 0x0010;
inline constexpr UINT SWP_FRAMECHANGED = 0x0020;
inline constexpr UINT SWP_SHOWWINDOW = 0x0040;
inline constexpr UINT SWP_HIDEWINDOW = 0x0080;
inline constexpr UINT SWP_NOCOPYBITS = 0x0100;

inline HWND const HWND_TOP = nullptr;

// Registers a window class (the procedure and the name; nothing is drawn from the rest).
// cbSize is sizeof(WNDCLASSEXA), or 48, the size of the Win32 form. Fails with
// ERROR_CLASS_ALREADY_EXISTS for a name that is registered, and with
// ERROR_INVALID_PARAMETER for another cbSize, no procedure or no name.
ATOM RegisterClassExA(const WNDCLASSEXA* windowClass);
BOOL UnregisterClassA(LPCSTR className, HINSTANCE instance);

// Creates an SDL window (OpenGL capable) for a registered class: hidden unless the style
// has WS_VISIBLE; bordered when the style has WS_CAPTION; the given outer size is the
// client size. The window procedure receives WM_CREATE (lParam: CREATESTRUCTA) before
// this returns; -1 from it destroys the window and fails the call.
HWND CreateWindowExA(DWORD exStyle, LPCSTR className, LPCSTR windowName, DWORD style, int x,
                     int y, int width, int height, HWND parent, HMENU menu, HINSTANCE instance,
                     LPVOID param);
// Sends WM_DESTROY, then closes the SDL window; messages still queued for it are dropped.
BOOL DestroyWindow(HWND window);
BOOL IsWindow(HWND window);
BOOL IsWindowVisible(HWND window);
BOOL ShowWindow(HWND window, int command);  // previous visibility
// Delivers a pending WM_PAINT at once.
BOOL UpdateWindow(HWND window);
BOOL IsIconic(HWND window);
BOOL SetForegroundWindow(HWND window);

// The window of this process with that class name; otherwise, when another process holds
// the single-instance lock of the class (see SingleInstance.h), a stand-in for its window:
// SetForegroundWindow, IsIconic and ShowWindow(SW_RESTORE) on it reach that process.
// When no process holds the lock, this process takes it and the result is null.
// The window title is not compared (only null is expected).
HWND FindWindowA(LPCSTR className, LPCSTR windowName);

LONG GetWindowLongA(HWND window, int index);
LONG SetWindowLongA(HWND window, int index, LONG value);  // previous value
// Applies the stored styles and the rectangle: a window without WS_CAPTION at (0, 0) is
// the full-screen window (desktop-sized, SDL_WINDOW_FULLSCREEN_DESKTOP); any other is a
// window of that size at that place, bordered when it has WS_CAPTION.
BOOL SetWindowPos(HWND window, HWND insertAfter, int x, int y, int cx, int cy, UINT flags);
BOOL GetWindowRect(HWND window, RECT* rect);  // screen coordinates
BOOL GetClientRect(HWND window, RECT* rect);  // (0, 0, width, height)
BOOL GetCursorPos(POINT* point);              // screen coordinates

// ---------------------------------------------------------------------------------------
// Message queue
BOOL PeekMessageA(LPMSG msg, HWND window, UINT filterMin, UINT filterMax, UINT removeFlags);
LRESULT DispatchMessageA(const MSG* msg);
LRESULT DefWindowProcA(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT SendMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
// Null window: a message for the thread (its hwnd stays null).
BOOL PostMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
// WM_QUIT (wParam = exitCode) is handed out once the queue holds no other message.
void PostQuitMessage(int exitCode);

// ---------------------------------------------------------------------------------------
// System metrics and display modes
inline constexpr int SM_CXSCREEN = 0;
inline constexpr int SM_CYSCREEN = 1;
inline constexpr int SM_CYCAPTION = 4;
inline constexpr int SM_CXBORDER = 5;
inline constexpr int SM_CYBORDER = 6;
inline constexpr int SM_CXDLGFRAME = 7;
inline constexpr int SM_CYDLGFRAME = 8;
inline constexpr int SM_NETWORK = 63;
inline constexpr int SM_CMONITORS = 80;

// Screen size (the desktop mode of the first display), 0 for frame sizes, 1 for
// SM_NETWORK, the display count for SM_CMONITORS; 0 for anything else.
int GetSystemMetrics(int index);

inline constexpr DWORD DM_BITSPERPEL = 0x00040000;
inline constexpr DWORD DM_PELSWIDTH = 0x00080000;
inline constexpr DWORD DM_PELSHEIGHT = 0x00100000;
inline constexpr DWORD DM_DISPLAYFREQUENCY = 0x00400000;

inline constexpr DWORD ENUM_CURRENT_SETTINGS = 0xFFFFFFFFu;
inline constexpr DWORD ENUM_REGISTRY_SETTINGS = 0xFFFFFFFEu;

inline constexpr DWORD CDS_FULLSCREEN = 0x00000004;
inline constexpr LONG DISP_CHANGE_SUCCESSFUL = 0;

// The display-mode fields that the engine reads and writes.
struct DEVMODEA {
  WORD dmSize;
  DWORD dmFields;
  DWORD dmBitsPerPel;
  DWORD dmPelsWidth;
  DWORD dmPelsHeight;
  DWORD dmDisplayFrequency;
};

// ENUM_CURRENT_SETTINGS (or ENUM_REGISTRY_SETTINGS): the desktop mode; 0, 1, ...: the
// display's modes. Bits per pixel are the stored size (32 for a 24-bit colour mode).
BOOL EnumDisplaySettingsA(LPCSTR deviceName, DWORD modeNumber, DEVMODEA* mode);
// Never changes the desktop mode; reports success for any request.
LONG ChangeDisplaySettingsA(DEVMODEA* mode, DWORD flags);

// ---------------------------------------------------------------------------------------
// Cursor
inline constexpr uintptr_t IDC_ARROW_ID = 32512;
#define IDC_ARROW MAKEINTRESOURCEA(IDC_ARROW_ID)

// IDC_ARROW only (any instance); the same shared handle each time.
HCURSOR LoadCursorA(HINSTANCE instance, LPCSTR name);
// The system icons a window class names. The window manager draws the window's icon, so
// these are placeholders: one shared handle for each, never freed.
inline constexpr uintptr_t IDI_APPLICATION_ID = 32512;
inline constexpr uintptr_t IDI_WINLOGO_ID = 32517;
#define IDI_APPLICATION MAKEINTRESOURCEA(IDI_APPLICATION_ID)
#define IDI_WINLOGO MAKEINTRESOURCEA(IDI_WINLOGO_ID)
HICON LoadIconA(HINSTANCE instance, LPCSTR name);
HCURSOR SetCursor(HCURSOR cursor);  // previous cursor
HCURSOR GetCursor();                // the cursor SetCursor last made current
// Frees a cursor made from an SDL cursor or loaded from a file; shared system cursors
// stay (TRUE either way).
BOOL DestroyCursor(HCURSOR cursor);

// LoadImageA reads cursors from files only: IMAGE_CURSOR with LR_LOADFROMFILE, the name a
// path on the disk. Animated cursor files (".ani") and plain cursor files (".cur") are
// read; the picture keeps the file's size whatever size is asked for. SetCursor with
// such a handle steps its animation at the file's rates (call it every frame). A missing
// or damaged file gives one log line and null.
inline constexpr UINT IMAGE_BITMAP = 0;
inline constexpr UINT IMAGE_ICON = 1;
inline constexpr UINT IMAGE_CURSOR = 2;
inline constexpr UINT LR_LOADFROMFILE = 0x0010;
inline constexpr UINT LR_DEFAULTSIZE = 0x0040;
HANDLE LoadImageA(HINSTANCE instance, LPCSTR name, UINT type, int width, int height, UINT flags);
// Absolute: shows or hides the system cursor over the window whatever was asked before.
// Returns 0 when shown, -1 when hidden (the sign Win32 callers test).
int ShowCursor(BOOL show);

struct SDL_Cursor;
namespace plat {
// Wraps an SDL cursor in a cursor handle that DestroyCursor frees (for cursors loaded
// from files by other parts of the layer).
HCURSOR MakeCursorHandle(SDL_Cursor* cursor);
// The last visibility given to ShowCursor (true at start).
bool IsCursorShown();
struct CursorAnimation;
// The frames and steps of a cursor loaded from a file (null for any other handle).
const CursorAnimation* CursorAnimationOf(HCURSOR cursor);
// The frame that SetCursor last showed for a cursor loaded from a file (-1 before).
int CursorShownFrame(HCURSOR cursor);
}  // namespace plat

// ---------------------------------------------------------------------------------------
// Message box
inline constexpr UINT MB_OK = 0x00000000;
inline constexpr UINT MB_ICONERROR = 0x00000010;
inline constexpr UINT MB_ICONWARNING = 0x00000030;
inline constexpr UINT MB_ICONINFORMATION = 0x00000040;
inline constexpr int IDOK = 1;

// A modal SDL message box. When headless (SDL_VIDEODRIVER offscreen or dummy) or when no
// box can be shown, the caption and text are only written to the log. Returns IDOK.
int MessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT type);

// ---------------------------------------------------------------------------------------
// Keyboard layout. Scan codes are DirectInput key codes: the set-1 scan code, with 0x80
// added for an extended key (0x9D right Ctrl, 0xC8 up arrow); 0xE0xx is accepted too.
// The layout is US English; letters follow the system's keymap when SDL knows it.
inline constexpr BYTE VK_BACK = 0x08;
inline constexpr BYTE VK_TAB = 0x09;
inline constexpr BYTE VK_RETURN = 0x0D;
inline constexpr BYTE VK_SHIFT = 0x10;
inline constexpr BYTE VK_CONTROL = 0x11;
inline constexpr BYTE VK_MENU = 0x12;
inline constexpr BYTE VK_PAUSE = 0x13;
inline constexpr BYTE VK_CAPITAL = 0x14;
inline constexpr BYTE VK_ESCAPE = 0x1B;
inline constexpr BYTE VK_SPACE = 0x20;
inline constexpr BYTE VK_PRIOR = 0x21;
inline constexpr BYTE VK_NEXT = 0x22;
inline constexpr BYTE VK_END = 0x23;
inline constexpr BYTE VK_HOME = 0x24;
inline constexpr BYTE VK_LEFT = 0x25;
inline constexpr BYTE VK_UP = 0x26;
inline constexpr BYTE VK_RIGHT = 0x27;
inline constexpr BYTE VK_DOWN = 0x28;
inline constexpr BYTE VK_SNAPSHOT = 0x2C;
inline constexpr BYTE VK_INSERT = 0x2D;
inline constexpr BYTE VK_DELETE = 0x2E;
inline constexpr BYTE VK_LWIN = 0x5B;
inline constexpr BYTE VK_RWIN = 0x5C;
inline constexpr BYTE VK_APPS = 0x5D;
inline constexpr BYTE VK_NUMPAD0 = 0x60;
inline constexpr BYTE VK_MULTIPLY = 0x6A;
inline constexpr BYTE VK_ADD = 0x6B;
inline constexpr BYTE VK_SUBTRACT = 0x6D;
inline constexpr BYTE VK_DECIMAL = 0x6E;
inline constexpr BYTE VK_DIVIDE = 0x6F;
inline constexpr BYTE VK_F1 = 0x70;
inline constexpr BYTE VK_F12 = 0x7B;
inline constexpr BYTE VK_NUMLOCK = 0x90;
inline constexpr BYTE VK_SCROLL = 0x91;
inline constexpr BYTE VK_LSHIFT = 0xA0;
inline constexpr BYTE VK_RSHIFT = 0xA1;
inline constexpr BYTE VK_LCONTROL = 0xA2;
inline constexpr BYTE VK_RCONTROL = 0xA3;
inline constexpr BYTE VK_LMENU = 0xA4;
inline constexpr BYTE VK_RMENU = 0xA5;
inline constexpr BYTE VK_OEM_1 = 0xBA;       // ;:
inline constexpr BYTE VK_OEM_PLUS = 0xBB;    // =+
inline constexpr BYTE VK_OEM_COMMA = 0xBC;   // ,<
inline constexpr BYTE VK_OEM_MINUS = 0xBD;   // -_
inline constexpr BYTE VK_OEM_PERIOD = 0xBE;  // .>
inline constexpr BYTE VK_OEM_2 = 0xBF;       // /?
inline constexpr BYTE VK_OEM_3 = 0xC0;       // `~
inline constexpr BYTE VK_OEM_4 = 0xDB;       // [{
inline constexpr BYTE VK_OEM_5 = 0xDC;       // \|
inline constexpr BYTE VK_OEM_6 = 0xDD;       // ]}
inline constexpr BYTE VK_OEM_7 = 0xDE;       // '"
inline constexpr BYTE VK_OEM_102 = 0xE2;     // the extra key of 102-key boards

inline constexpr UINT MAPVK_VK_TO_VSC = 0;
inline constexpr UINT MAPVK_VSC_TO_VK = 1;
inline constexpr UINT MAPVK_VK_TO_CHAR = 2;
inline constexpr UINT MAPVK_VSC_TO_VK_EX = 3;

// A non-null layout handle (thread 0 or any: there is one layout).
HKL GetKeyboardLayout(DWORD threadId);
// The 256 virtual-key states: 0x80 while held (from the keys that the window layer has
// seen; VK_SHIFT, VK_CONTROL and VK_MENU for either side), 0x01 for Caps Lock, Num Lock
// and Scroll Lock while on.
BOOL GetKeyboardState(BYTE* keyState);
// Types 0 (VK to scan code), 1 (scan code to VK, Shift/Ctrl/Alt as VK_SHIFT/VK_CONTROL/
// VK_MENU), 2 (VK to its unshifted character, upper-case for letters) and 3 (scan code to
// VK with sides). 0 when there is no mapping.
UINT MapVirtualKeyExA(UINT code, UINT mapType, HKL layout);
// The character of a key with the given key state (Shift, Caps Lock, Num Lock, Ctrl+letter
// control codes) into chars[0]: 1 when there is one, 0 when the key has none.
int ToAsciiEx(UINT virtualKey, UINT scanCode, const BYTE* keyState, WORD* chars, UINT flags,
              HKL layout);

// ---------------------------------------------------------------------------------------
// Clipboard (the system clipboard through SDL; texts are UTF-8 inside SDL)
inline constexpr UINT CF_TEXT = 1;
inline constexpr UINT CF_OEMTEXT = 7;
inline constexpr UINT CF_UNICODETEXT = 13;

BOOL OpenClipboard(HWND owner);  // fails while already open
BOOL CloseClipboard();
BOOL EmptyClipboard();
// CF_TEXT, CF_OEMTEXT (UTF-8) and CF_UNICODETEXT (UTF-16): available while SDL holds text.
BOOL IsClipboardFormatAvailable(UINT format);
// A global block with the zero-terminated text (owned by the clipboard: valid until the
// clipboard is closed or emptied; do not free it). Null when closed or empty.
HANDLE GetClipboardData(UINT format);
// Takes a global block (GlobalAlloc) of text in that format, up to its terminator, and
// hands it to SDL; the clipboard owns and frees the block. Null on failure.
HANDLE SetClipboardData(UINT format, HANDLE data);
