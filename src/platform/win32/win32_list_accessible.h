#pragma once
#include <windows.h>

#include <oleacc.h>

namespace kqm {

class Win32ListView;

// What a screen reader is told about the list of startup entries (Microsoft Active Accessibility): a list whose
// description names its columns ("Application", "Path") and whose children, counted from 1, are its rows, each
// read as "<name>, <path>, on|off" (described as "file not found" when its program is missing), selectable, with
// its tick as the checked state and ticking or unticking as the default action. What it does not answer itself
// (the window's place, parent, keyboard help) the system's standard object for the window answers. Once the list
// is gone every call about a row fails.
class Win32ListAccessible final : public IAccessible {
 public:
  // IAccessible's interface id, spelled out: two of the toolchain's import libraries both define the symbol.
  static constexpr IID kIid = {0x618736e0, 0x3c3d, 0x11cf, {0x81, 0x0c, 0x00, 0xaa, 0x00, 0x38, 0x9b, 0x71}};

  // Holds one reference, which the caller takes over.
  explicit Win32ListAccessible(Win32ListView& list);
  // The list is going: no call reaches it any more.
  void Disconnect() { list_ = nullptr; }
  // The answer to WM_GETOBJECT (its wParam) that hands `object` to the asking client; 0 when it cannot be given.
  // The accessibility library is loaded only now: loading it at start-up would cost every start of the program.
  static LRESULT Answer(Win32ListAccessible* object, WPARAM wParam);

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** out) override;
  ULONG STDMETHODCALLTYPE AddRef() override;
  ULONG STDMETHODCALLTYPE Release() override;
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override;
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE get_accParent(IDispatch** parent) override;
  HRESULT STDMETHODCALLTYPE get_accChildCount(long* count) override;
  HRESULT STDMETHODCALLTYPE get_accChild(VARIANT child, IDispatch** out) override;
  HRESULT STDMETHODCALLTYPE get_accName(VARIANT child, BSTR* name) override;
  HRESULT STDMETHODCALLTYPE get_accValue(VARIANT child, BSTR* value) override;
  HRESULT STDMETHODCALLTYPE get_accDescription(VARIANT child, BSTR* text) override;
  HRESULT STDMETHODCALLTYPE get_accRole(VARIANT child, VARIANT* role) override;
  HRESULT STDMETHODCALLTYPE get_accState(VARIANT child, VARIANT* state) override;
  HRESULT STDMETHODCALLTYPE get_accHelp(VARIANT child, BSTR* help) override;
  HRESULT STDMETHODCALLTYPE get_accHelpTopic(BSTR* file, VARIANT child, long* topic) override;
  HRESULT STDMETHODCALLTYPE get_accKeyboardShortcut(VARIANT child, BSTR* shortcut) override;
  HRESULT STDMETHODCALLTYPE get_accFocus(VARIANT* focus) override;
  HRESULT STDMETHODCALLTYPE get_accSelection(VARIANT* selection) override;
  HRESULT STDMETHODCALLTYPE get_accDefaultAction(VARIANT child, BSTR* action) override;
  HRESULT STDMETHODCALLTYPE accSelect(long flags, VARIANT child) override;
  HRESULT STDMETHODCALLTYPE accLocation(long* left, long* top, long* width, long* height, VARIANT child) override;
  HRESULT STDMETHODCALLTYPE accNavigate(long direction, VARIANT start, VARIANT* end) override;
  HRESULT STDMETHODCALLTYPE accHitTest(long x, long y, VARIANT* child) override;
  HRESULT STDMETHODCALLTYPE accDoDefaultAction(VARIANT child) override;
  HRESULT STDMETHODCALLTYPE put_accName(VARIANT, BSTR) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE put_accValue(VARIANT, BSTR) override { return E_NOTIMPL; }

 private:
  ~Win32ListAccessible();
  // 0 for the list itself, the row number for a row, -1 for anything else (or once the list is gone).
  long Which(const VARIANT& child) const;

  Win32ListView* list_;
  HWND hwnd_;
  IAccessible* standard_ = nullptr;  // the system's object for the window, or null
  LONG refs_ = 1;
};

}  // namespace kqm
