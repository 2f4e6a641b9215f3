#pragma once
#include <windows.h>

#include "platform/unique_handle.h"
#include "platform/win32/win32_dpi.h"

namespace kqm {

// A context from GetDC, given back to the window it came from.
struct WindowDcCloser {
  HWND hwnd = nullptr;
  void operator()(HDC dc) const { ReleaseDC(hwnd, dc); }
};
using UniqueWindowDc = UniqueHandle<HDC, WindowDcCloser>;

// The drawing surface of a window's client area (of the screen for a null window).
inline UniqueWindowDc WindowDc(HWND hwnd) { return UniqueWindowDc(GetDC(hwnd), WindowDcCloser{hwnd}); }

// A context from BeginPaint, ended with EndPaint.
struct PaintEnder {
  HWND hwnd = nullptr;
  PAINTSTRUCT paint{};
  void operator()(HDC) const { EndPaint(hwnd, &paint); }
};
using UniquePaintDc = UniqueHandle<HDC, PaintEnder>;

// The object a context held before a SelectObject, selected back into it.
struct Reselect {
  HDC dc = nullptr;
  void operator()(HGDIOBJ old) const { SelectObject(dc, old); }
};
using SelectedObject = UniqueHandle<HGDIOBJ, Reselect>;

// Selects `object` into `dc` until the result goes out of scope.
inline SelectedObject Select(HDC dc, HGDIOBJ object) { return SelectedObject(SelectObject(dc, object), Reselect{dc}); }

// The base of every window class of ours, T being the class itself. T declares
//   static constexpr const wchar_t* kClassName;    its window class's name
//   LRESULT HandleMessage(UINT msg, WPARAM, LPARAM);
// and, where it needs them, hides the defaults of DescribeClass, ObjectFor and WindowDestroyed below (T makes
// Win32Window<T> a friend when they are private). The object answers every message of its window from
// WM_NCCREATE until WM_NCDESTROY; from then on (and once the object is gone) the window is no longer its own and
// DefWindowProc answers.
template <typename T>
class Win32Window {
 public:
  Win32Window(const Win32Window&) = delete;
  Win32Window& operator=(const Win32Window&) = delete;

  // The window; null before it is created and once it has been destroyed (with its parent, for instance).
  HWND Window() const { return hwnd_; }
  // The resolution (dots per inch) the window is laid out for.
  int Dpi() const { return dpi_; }

  // Registers the window class in this module; a later call (or a class already there) succeeds at once.
  static bool RegisterWindowClass() {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    const HINSTANCE instance = GetModuleHandleW(nullptr);
    if (GetClassInfoExW(instance, T::kClassName, &wc)) return true;
    wc = {};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = &Procedure;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.lpszClassName = T::kClassName;
    T::DescribeClass(wc);
    return RegisterClassExW(&wc) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
  }

  // The object a window of the class belongs to, or null for any other window.
  static T* FromWindow(HWND hwnd) {
    wchar_t name[64] = {};
    if (!hwnd || !GetClassNameW(hwnd, name, 64) || lstrcmpW(name, T::kClassName) != 0) return nullptr;
    return reinterpret_cast<T*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  }

 protected:
  Win32Window() = default;
  // A window still there is destroyed, its messages no longer reaching the object.
  ~Win32Window() {
    if (!hwnd_) return;
    SetWindowLongPtrW(hwnd_, GWLP_USERDATA, 0);
    DestroyWindow(hwnd_);
  }

  // Registers the class and creates the window for this object (the object answers from WM_NCCREATE on); `id` is
  // a child window's control id (0 for a top-level window). The window, or null when it cannot be made.
  HWND CreateHandle(DWORD exStyle, DWORD style, int x, int y, int width, int height, HWND parent, int id = 0,
                    const wchar_t* text = L"") {
    if (!RegisterWindowClass()) return nullptr;
    return CreateWindowExW(exStyle, T::kClassName, text, style, x, y, width, height, parent,
                           reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleW(nullptr),
                           static_cast<T*>(this));
  }
  // Destroys the window now (its last messages still reach the object); nothing when there is none.
  void DestroyHandle() {
    if (hwnd_) DestroyWindow(hwnd_);
  }

  // Takes `dpi` as the window's resolution; false (nothing changes) when it is not positive or the same.
  bool UpdateDpi(int dpi) {
    if (dpi <= 0 || dpi == dpi_) return false;
    dpi_ = dpi;
    return true;
  }

  // Answers WM_PAINT (draw gets the update region, which is then valid) or WM_PRINTCLIENT (the whole client area
  // into the context given) with draw(HDC, const RECT& clip); 0.
  template <typename Draw>
  LRESULT PaintWith(UINT msg, WPARAM wParam, Draw&& draw) {
    if (msg == WM_PRINTCLIENT) {
      RECT client{};
      GetClientRect(hwnd_, &client);
      draw(reinterpret_cast<HDC>(wParam), client);
      return 0;
    }
    PAINTSTRUCT ps{};
    const HDC dc = BeginPaint(hwnd_, &ps);
    const UniquePaintDc paint(dc, PaintEnder{hwnd_, ps});
    if (dc) draw(dc, ps.rcPaint);
    return 0;
  }

  LRESULT DefaultMessage(UINT msg, WPARAM wParam, LPARAM lParam) { return DefWindowProcW(hwnd_, msg, wParam, lParam); }

  // What the class adds to the registration (style, background, icons); nothing by default.
  static void DescribeClass(WNDCLASSEXW&) {}
  // The object a new window belongs to: by default the one CreateHandle passed.
  static T* ObjectFor(const CREATESTRUCTW& create) { return static_cast<T*>(create.lpCreateParams); }
  // The window has gone (Window() is null already); the object may even free itself here.
  void WindowDestroyed() {}

 private:
  static LRESULT CALLBACK Procedure(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_NCCREATE) {
      if (T* object = T::ObjectFor(*reinterpret_cast<const CREATESTRUCTW*>(lParam))) {
        static_cast<Win32Window*>(object)->hwnd_ = hwnd;
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(object));
      }
    }
    T* object = reinterpret_cast<T*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (!object) return DefWindowProcW(hwnd, msg, wParam, lParam);
    if (msg == WM_NCDESTROY) {
      SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
      static_cast<Win32Window*>(object)->hwnd_ = nullptr;
      object->WindowDestroyed();
      return DefWindowProcW(hwnd, msg, wParam, lParam);
    }
    return object->HandleMessage(msg, wParam, lParam);
  }

  HWND hwnd_ = nullptr;
  int dpi_ = 96;
};

}  // namespace kqm
