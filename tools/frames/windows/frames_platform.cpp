// zolta-frames on Windows (tools/frames/frames_platform.h): the program runs in its real window
// over the real Direct3D 9, on a virtual clock.
//
// The clock: the program's own calls of QueryPerformanceCounter, QueryPerformanceFrequency,
// GetTickCount and Sleep go through this executable's import address table; their entries are
// pointed at a virtual clock for calls from the main thread, so it counts as the Linux build's
// virtual clock does. Other threads, and the system's own libraries, keep the real clock.
//
// The frames: Direct3DCreate9 is defined here, so the program's call reaches this one; it hands
// out the real object of d3d9.dll with CreateDevice patched in its method table, and the device
// that makes has Present patched the same way, to show each finished frame to the observer.
// The C form of the Direct3D interfaces (CINTERFACE) names those table entries.
//
// The mouse: the desktop's pointer may rest over the window, where the program would draw it;
// the unseen Linux run has no pointer at all. A message hook of the main thread turns every
// client-area mouse message into WM_NULL before the program sees it, so both runs get no mouse.
#define CINTERFACE
#include "tools/frames/frames_platform.h"

#include <windows.h>

#include <d3d9.h>

#include "platform/hooks/clock.h"

// The import address table's entries of the clock functions (made by the linker).
extern "C" {
extern decltype(&QueryPerformanceCounter) __imp_QueryPerformanceCounter;
extern decltype(&QueryPerformanceFrequency) __imp_QueryPerformanceFrequency;
extern decltype(&GetTickCount) __imp_GetTickCount;
extern decltype(&Sleep) __imp_Sleep;
}

namespace {

// ---- The virtual clock, counting as platform/hooks/clock.h says ---------------------------

DWORD mainThread = 0;
long long virtualNow = virtualClockStart;  // ticks of clockTicksPerSecond
decltype(&QueryPerformanceCounter) realCounter = nullptr;
decltype(&QueryPerformanceFrequency) realFrequency = nullptr;
decltype(&GetTickCount) realTickCount = nullptr;
decltype(&Sleep) realSleep = nullptr;

bool onMainThread() { return GetCurrentThreadId() == mainThread; }

BOOL WINAPI virtualCounter(LARGE_INTEGER* counter) {
  if (!onMainThread()) return realCounter(counter);
  counter->QuadPart = virtualNow;
  return TRUE;
}

BOOL WINAPI virtualFrequency(LARGE_INTEGER* frequency) {
  if (!onMainThread()) return realFrequency(frequency);
  frequency->QuadPart = clockTicksPerSecond;
  return TRUE;
}

DWORD WINAPI virtualTickCount() {
  if (!onMainThread()) return realTickCount();
  return static_cast<DWORD>(virtualNow / (clockTicksPerSecond / 1000));
}

void WINAPI virtualSleep(DWORD milliseconds) {
  if (!onMainThread()) return realSleep(milliseconds);
  virtualNow += milliseconds * (clockTicksPerSecond / 1000);
}

// Points an entry of a table the loader keeps read-only (an import address table, a method
// table) at replacement; returns what it pointed at before.
template <typename Entry>
Entry replaceEntry(Entry* entry, Entry replacement) {
  DWORD protection;
  VirtualProtect(entry, sizeof *entry, PAGE_READWRITE, &protection);
  const Entry before = *entry;
  *entry = replacement;
  VirtualProtect(entry, sizeof *entry, protection, &protection);
  return before;
}

// ---- The observed Direct3D 9 --------------------------------------------------------------

FrameObserver frameObserver = nullptr;
decltype(IDirect3D9Vtbl::CreateDevice) realCreateDevice = nullptr;
decltype(IDirect3DDevice9Vtbl::Present) realPresent = nullptr;

HRESULT STDMETHODCALLTYPE observedPresent(IDirect3DDevice9* device, const RECT* source,
                                          const RECT* destination, HWND window,
                                          const RGNDATA* dirty) {
  frameObserver(device);
  return realPresent(device, source, destination, window, dirty);
}

// The method tables are shared by every object of their class: each is patched once.
HRESULT STDMETHODCALLTYPE observedCreateDevice(IDirect3D9* direct3D, UINT adapter, D3DDEVTYPE type,
                                               HWND window, DWORD behaviour,
                                               D3DPRESENT_PARAMETERS* parameters,
                                               IDirect3DDevice9** device) {
  const HRESULT result =
      realCreateDevice(direct3D, adapter, type, window, behaviour, parameters, device);
  if (SUCCEEDED(result) && !realPresent) {
    auto* methods = const_cast<IDirect3DDevice9Vtbl*>((*device)->lpVtbl);
    realPresent = replaceEntry(&methods->Present, observedPresent);
  }
  return result;
}

// ---- No mouse ---------------------------------------------------------------------------

LRESULT CALLBACK dropMouseMessages(int code, WPARAM wParam, LPARAM lParam) {
  auto* message = reinterpret_cast<MSG*>(lParam);
  if (code == HC_ACTION && message->message >= WM_MOUSEFIRST && message->message <= WM_MOUSELAST)
    message->message = WM_NULL;
  return CallNextHookEx(nullptr, code, wParam, lParam);
}

}  // namespace

extern "C" IDirect3D9* WINAPI Direct3DCreate9(UINT version) {
  const HMODULE library = LoadLibraryA("d3d9.dll");
  const FARPROC create = library ? GetProcAddress(library, "Direct3DCreate9") : nullptr;
  if (!create) return nullptr;
  // Through void (*)(), the one function type every other converts to without a warning.
  IDirect3D9* const direct3D =
      reinterpret_cast<IDirect3D9*(WINAPI*)(UINT)>(reinterpret_cast<void (*)()>(create))(version);
  if (direct3D && !realCreateDevice) {
    auto* methods = const_cast<IDirect3D9Vtbl*>(direct3D->lpVtbl);
    realCreateDevice = replaceEntry(&methods->CreateDevice, observedCreateDevice);
  }
  return direct3D;
}

void prepareVirtualRun(FrameObserver observer) {
  frameObserver = observer;
  mainThread = GetCurrentThreadId();
  realCounter = replaceEntry(&__imp_QueryPerformanceCounter, virtualCounter);
  realFrequency = replaceEntry(&__imp_QueryPerformanceFrequency, virtualFrequency);
  realTickCount = replaceEntry(&__imp_GetTickCount, virtualTickCount);
  realSleep = replaceEntry(&__imp_Sleep, virtualSleep);
  SetWindowsHookExA(WH_GETMESSAGE, dropMouseMessages, nullptr, mainThread);
}
