#pragma once
#include <windows.h>

#include <oleacc.h>

#include <string>

namespace kqm {

// IAccessible's interface id, spelled out: two of the toolchain's import libraries both define the symbol.
inline constexpr IID kIidAccessible = {0x618736e0, 0x3c3d, 0x11cf, {0x81, 0x0c, 0x00, 0xaa, 0x00, 0x38, 0x9b, 0x71}};

// What every accessible object of our controls shares (Microsoft Active Accessibility): the reference count,
// IUnknown and IDispatch (no type information: clients call the IAccessible methods), and the members a control
// does not offer (value, description, help, selection, setting the name or value), which answer "not found".
// A control derives from it and answers the rest for its own window.
class AccessibleBase : public IAccessible {
 public:
  // Holds one reference, which the caller takes over.
  AccessibleBase() = default;
  AccessibleBase(const AccessibleBase&) = delete;
  AccessibleBase& operator=(const AccessibleBase&) = delete;

  // IUnknown
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** out) override;
  ULONG STDMETHODCALLTYPE AddRef() override;
  ULONG STDMETHODCALLTYPE Release() override;
  // IDispatch
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override;
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override {
    return E_NOTIMPL;
  }
  // IAccessible members no control of ours offers.
  HRESULT STDMETHODCALLTYPE get_accValue(VARIANT, BSTR* value) override;
  HRESULT STDMETHODCALLTYPE get_accDescription(VARIANT, BSTR* text) override;
  HRESULT STDMETHODCALLTYPE get_accHelp(VARIANT, BSTR* help) override;
  HRESULT STDMETHODCALLTYPE get_accHelpTopic(BSTR* file, VARIANT, long* topic) override;
  HRESULT STDMETHODCALLTYPE get_accKeyboardShortcut(VARIANT, BSTR* shortcut) override;
  HRESULT STDMETHODCALLTYPE get_accSelection(VARIANT* selection) override;
  HRESULT STDMETHODCALLTYPE put_accName(VARIANT, BSTR) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE put_accValue(VARIANT, BSTR) override { return E_NOTIMPL; }

  // The answer to WM_GETOBJECT (its wParam) that hands `object` to the client asking; COM is started on this
  // thread first.
  static LRESULT Answer(IAccessible* object, WPARAM wParam);

 protected:
  virtual ~AccessibleBase() = default;
  // The accessible object of the window's frame (what a control's object names as its parent).
  static HRESULT WindowObject(HWND hwnd, IDispatch** parent);
  // UTF-8 text as a string the client frees.
  static BSTR Text(const std::string& utf8);
  static void SetLong(VARIANT* v, long value);

 private:
  LONG refs_ = 1;
};

}  // namespace kqm
