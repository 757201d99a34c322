// The subset of the Win32 API that the program calls, implemented over SDL2 and POSIX.
//
// Names, numeric values and signatures follow the real headers so the program's code reads as
// it would on Windows. Covered: one window class and its windows (SDL windows with an OpenGL
// context, no decoration, a real X11 shape for SetWindowRgn), the message queue (PeekMessageA,
// SendMessageA synchronous, PostMessageA queued, WM_TIMER produced by PeekMessageA when due),
// the high-resolution counter, tick count and Sleep from one replaceable clock
// (platform/hooks/clock.h), directory listing, file deletion and resources compiled into the
// program.
// Left out: GDI drawing, menus, child windows, Unicode (W) functions, threads' own queues
// (there is one queue for the process), and every message the program does not use.
//
// Sections: types · constants · window class and windows · messages and timers · cursor and
// geometry · time · files · resources.
#pragma once

#include <cstddef>
#include <cstdint>

// ---- Types --------------------------------------------------------------------------------

#define WINAPI
#define CALLBACK
#define CONST const

typedef unsigned char BYTE;
typedef unsigned short WORD;
typedef uint32_t DWORD;
typedef int32_t LONG;
typedef uint32_t ULONG;
typedef int INT;
typedef unsigned int UINT;
typedef int BOOL;
typedef char CHAR;
typedef intptr_t LONG_PTR;
typedef uintptr_t ULONG_PTR;
typedef uintptr_t UINT_PTR;
typedef intptr_t INT_PTR;
typedef UINT_PTR WPARAM;
typedef LONG_PTR LPARAM;
typedef LONG_PTR LRESULT;
typedef WORD ATOM;
typedef void* LPVOID;
typedef const void* LPCVOID;
typedef char* LPSTR;
typedef const char* LPCSTR;
typedef void* HANDLE;

// Handles are distinct pointer types, as with STRICT in the real headers.
#define DECLARE_HANDLE(name) \
  struct name##__;           \
  typedef struct name##__* name
DECLARE_HANDLE(HWND);
DECLARE_HANDLE(HINSTANCE);
DECLARE_HANDLE(HICON);
DECLARE_HANDLE(HBRUSH);
DECLARE_HANDLE(HMENU);
DECLARE_HANDLE(HRGN);
DECLARE_HANDLE(HRSRC);
typedef HICON HCURSOR;
typedef HINSTANCE HMODULE;
typedef HANDLE HGLOBAL;

typedef struct tagRECT {
  LONG left;
  LONG top;
  LONG right;
  LONG bottom;
} RECT, *LPRECT;

typedef struct tagPOINT {
  LONG x;
  LONG y;
} POINT, *LPPOINT;

typedef struct tagMSG {
  HWND hwnd;
  UINT message;
  WPARAM wParam;
  LPARAM lParam;
  DWORD time;  // GetTickCount when the message was queued
  POINT pt;    // cursor position in screen coordinates when it was queued
} MSG, *LPMSG;

typedef union _LARGE_INTEGER {
  struct {
    DWORD LowPart;
    LONG HighPart;
  };
  struct {
    DWORD LowPart;
    LONG HighPart;
  } u;
  long long QuadPart;
} LARGE_INTEGER;

typedef LRESULT(CALLBACK* WNDPROC)(HWND, UINT, WPARAM, LPARAM);
typedef void(CALLBACK* TIMERPROC)(HWND, UINT, UINT_PTR, DWORD);

typedef struct tagWNDCLASSEXA {
  UINT cbSize;
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
} WNDCLASSEXA;

typedef struct _FILETIME {
  DWORD dwLowDateTime;
  DWORD dwHighDateTime;
} FILETIME;

#define MAX_PATH 260

typedef struct _WIN32_FIND_DATAA {
  DWORD dwFileAttributes;
  FILETIME ftCreationTime;
  FILETIME ftLastAccessTime;
  FILETIME ftLastWriteTime;
  DWORD nFileSizeHigh;
  DWORD nFileSizeLow;
  DWORD dwReserved0;
  DWORD dwReserved1;
  CHAR cFileName[MAX_PATH];
  CHAR cAlternateFileName[14];
} WIN32_FIND_DATAA, *LPWIN32_FIND_DATAA;

// ---- Constants ----------------------------------------------------------------------------

#ifndef TRUE
#define TRUE 1
#endif
#ifndef FALSE
#define FALSE 0
#endif

#define INVALID_HANDLE_VALUE ((HANDLE)(LONG_PTR)-1)

#define LOWORD(l) ((WORD)(((ULONG_PTR)(l)) & 0xffff))
#define HIWORD(l) ((WORD)((((ULONG_PTR)(l)) >> 16) & 0xffff))
#define MAKELONG(a, b) \
  ((LONG)(((WORD)(((ULONG_PTR)(a)) & 0xffff)) | ((DWORD)((WORD)(((ULONG_PTR)(b)) & 0xffff))) << 16))
#define MAKELPARAM(l, h) ((LPARAM)(DWORD)MAKELONG(l, h))
#define IS_INTRESOURCE(r) ((((ULONG_PTR)(r)) >> 16) == 0)
#define MAKEINTRESOURCEA(i) ((LPSTR)((ULONG_PTR)((WORD)(i))))

// Messages
#define WM_NULL 0x0000
#define WM_CREATE 0x0001
#define WM_DESTROY 0x0002
#define WM_PAINT 0x000F
#define WM_CLOSE 0x0010
#define WM_QUIT 0x0012
#define WM_NCLBUTTONDOWN 0x00A1
#define WM_KEYDOWN 0x0100
#define WM_KEYUP 0x0101
#define WM_CHAR 0x0102
#define WM_TIMER 0x0113
#define WM_MOUSEMOVE 0x0200
#define WM_LBUTTONDOWN 0x0201
#define WM_LBUTTONUP 0x0202
#define WM_MOUSELEAVE 0x02A3
#define WM_USER 0x0400

// Hit-test value and mouse-key flags
#define HTCAPTION 2
#define MK_LBUTTON 0x0001

// PeekMessageA
#define PM_NOREMOVE 0x0000
#define PM_REMOVE 0x0001

// Virtual-key codes (letters and digits are their ASCII capitals)
#define VK_BACK 0x08
#define VK_TAB 0x09
#define VK_RETURN 0x0D
#define VK_SHIFT 0x10
#define VK_CONTROL 0x11
#define VK_ESCAPE 0x1B
#define VK_SPACE 0x20
#define VK_LEFT 0x25
#define VK_UP 0x26
#define VK_RIGHT 0x27
#define VK_DOWN 0x28
#define VK_MEDIA_NEXT_TRACK 0xB0
#define VK_MEDIA_PREV_TRACK 0xB1
#define VK_MEDIA_STOP 0xB2
#define VK_MEDIA_PLAY_PAUSE 0xB3

// Window styles
#define WS_OVERLAPPED 0x00000000L
#define WS_POPUP 0x80000000L
#define WS_VISIBLE 0x10000000L
#define WS_CAPTION 0x00C00000L
#define WS_SYSMENU 0x00080000L
#define WS_THICKFRAME 0x00040000L
#define WS_MINIMIZEBOX 0x00020000L
#define WS_MAXIMIZEBOX 0x00010000L
#define WS_OVERLAPPEDWINDOW \
  (WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX)

// Class styles
#define CS_VREDRAW 0x0001
#define CS_HREDRAW 0x0002

// GetWindowLong / SetWindowLong indices
#define GWL_STYLE (-16)
#define GWL_EXSTYLE (-20)

// System colours
#define COLOR_BTNFACE 15

// ShowWindow commands
#define SW_HIDE 0
#define SW_SHOWNORMAL 1
#define SW_SHOW 5
#define SW_MINIMIZE 6
#define SW_RESTORE 9

// SetWindowPos flags
#define SWP_NOSIZE 0x0001
#define SWP_NOMOVE 0x0002
#define SWP_NOZORDER 0x0004

// Error codes (GetLastError)
#define ERROR_SUCCESS 0L
#define ERROR_FILE_NOT_FOUND 2L
#define ERROR_PATH_NOT_FOUND 3L
#define ERROR_ACCESS_DENIED 5L
#define ERROR_NO_MORE_FILES 18L
#define ERROR_INSUFFICIENT_BUFFER 122L
#define ERROR_DIRECTORY 267L

// File attributes
#define FILE_ATTRIBUTE_DIRECTORY 0x00000010
#define FILE_ATTRIBUTE_NORMAL 0x00000080

// ---- Window class and windows -------------------------------------------------------------

// Registers a class; only lpfnWndProc and lpszClassName are used. Returns 0 on failure.
ATOM WINAPI RegisterClassExA(const WNDCLASSEXA* windowClass);

// Creates a hidden borderless SDL window with an OpenGL context surface. x, y, width and height
// are in screen pixels. Sends WM_CREATE. Returns NULL (one stderr line) when no window can be
// made, also when SDL has fallen back to its invisible offscreen driver without being asked.
HWND WINAPI CreateWindowExA(DWORD exStyle, LPCSTR className, LPCSTR windowName, DWORD style, int x,
                            int y, int width, int height, HWND parent, HMENU menu,
                            HINSTANCE instance, LPVOID param);

// Sends WM_DESTROY to the window procedure, then closes the SDL window.
BOOL WINAPI DestroyWindow(HWND window);

// GWL_STYLE, GWL_EXSTYLE; returns the previous value.
LONG WINAPI SetWindowLongA(HWND window, int index, LONG value);

// A rectangle with elliptic corners (ellipse width × height); as in GDI, the last column and
// row before right and bottom are excluded too, so (0, 0, 640, 480) covers 639 × 479 pixels.
// SetWindowRgn takes ownership and shapes the X11 window to it.
HRGN WINAPI CreateRoundRectRgn(int left, int top, int right, int bottom, int ellipseWidth,
                               int ellipseHeight);
int WINAPI SetWindowRgn(HWND window, HRGN region, BOOL redraw);

BOOL WINAPI SetWindowPos(HWND window, HWND insertAfter, int x, int y, int width, int height,
                         UINT flags);
BOOL WINAPI ShowWindow(HWND window,
                       int command);  // SW_SHOWNORMAL, SW_SHOW, SW_HIDE, SW_MINIMIZE, SW_RESTORE
BOOL WINAPI IsIconic(HWND window);    // minimised?
BOOL WINAPI InvalidateRect(HWND window, const RECT* rect, BOOL erase);
BOOL WINAPI AdjustWindowRectEx(LPRECT rect, DWORD style, BOOL menu, DWORD exStyle);

HWND WINAPI GetDesktopWindow();
BOOL WINAPI GetClientRect(HWND window, LPRECT rect);  // of GetDesktopWindow(): the desktop size
BOOL WINAPI GetWindowRect(HWND window, LPRECT rect);  // screen coordinates

HMODULE WINAPI GetModuleHandleA(LPCSTR moduleName);       // NULL: the program itself
HICON WINAPI LoadIconA(HINSTANCE instance, LPCSTR name);  // no icons: always NULL
HBRUSH WINAPI GetSysColorBrush(int index);

// ---- Messages and timers ------------------------------------------------------------------

// Pumps SDL events into the queue (WM_KEYUP, WM_MOUSEMOVE, WM_LBUTTONDOWN, WM_LBUTTONUP,
// WM_CLOSE), then returns the oldest queued message, else WM_QUIT after PostQuitMessage, else a
// due timer as WM_TIMER. Only PM_REMOVE / PM_NOREMOVE and filter 0, 0 are supported.
BOOL WINAPI PeekMessageA(LPMSG message, HWND window, UINT filterMin, UINT filterMax,
                         UINT removeMessage);
BOOL WINAPI TranslateMessage(const MSG* message);  // no character messages: returns FALSE
LRESULT WINAPI DispatchMessageA(const MSG* message);
LRESULT WINAPI SendMessageA(HWND window, UINT message, WPARAM wParam,
                            LPARAM lParam);                                         // synchronous
BOOL WINAPI PostMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam);  // queued
void WINAPI PostQuitMessage(int exitCode);

// WM_CLOSE → DestroyWindow; WM_NCLBUTTONDOWN with HTCAPTION → a modal move that follows the
// global pointer until the left button is released; everything else → 0.
LRESULT WINAPI DefWindowProcA(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// Timers on the platform clock; WM_TIMER (wParam = id) when due. Setting an existing id restarts
// it.
UINT_PTR WINAPI SetTimer(HWND window, UINT_PTR id, UINT elapseMilliseconds, TIMERPROC timerProc);
BOOL WINAPI KillTimer(HWND window, UINT_PTR id);

// ---- Cursor and geometry ------------------------------------------------------------------

int WINAPI ShowCursor(BOOL show);         // returns the new display count; shown while >= 0
BOOL WINAPI GetCursorPos(LPPOINT point);  // screen coordinates
BOOL WINAPI PtInRect(const RECT* rect, POINT point);  // right and bottom excluded

// ---- Time (platform/hooks/clock.h can replace the clock) ----------------------------------

BOOL WINAPI QueryPerformanceCounter(LARGE_INTEGER* counter);
BOOL WINAPI QueryPerformanceFrequency(LARGE_INTEGER* frequency);
DWORD WINAPI GetTickCount();
void WINAPI Sleep(DWORD milliseconds);

// ---- Files --------------------------------------------------------------------------------

// "folder/*.*" or "folder/*" lists every entry of folder, "." and ".." included, in the order
// the system returns them. Other patterns are not supported (INVALID_HANDLE_VALUE).
HANDLE WINAPI FindFirstFileA(LPCSTR pattern, LPWIN32_FIND_DATAA findData);
BOOL WINAPI FindNextFileA(HANDLE find, LPWIN32_FIND_DATAA findData);
BOOL WINAPI FindClose(HANDLE find);
BOOL WINAPI DeleteFileA(LPCSTR path);
// module NULL: the program's own file, links resolved. Returns the length written without the
// terminating zero; a name that does not fit is cut to size - 1 bytes and size is returned
// (ERROR_INSUFFICIENT_BUFFER). 0 when it cannot be told.
DWORD WINAPI GetModuleFileNameA(HMODULE module, LPSTR fileName, DWORD size);
DWORD WINAPI GetLastError();

// ---- Resources (the table of platform/hooks/resource_table.h) -----------------------------

// name: MAKEINTRESOURCEA(id) or "#id"; type: a type name such as "BINARYDATA".
HRSRC WINAPI FindResourceA(HMODULE module, LPCSTR name, LPCSTR type);
DWORD WINAPI SizeofResource(HMODULE module, HRSRC resource);
HGLOBAL WINAPI LoadResource(HMODULE module, HRSRC resource);
LPVOID WINAPI LockResource(HGLOBAL resource);
