#include "platform/win32/win32_accessible.h"

#include "platform/text.h"
#include "platform/win32/win32_com.h"

namespace kqm {

HRESULT AccessibleBase::QueryInterface(REFIID riid, void** out) {
  if (!out) return E_POINTER;
  if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IDispatch) || IsEqualIID(riid, kIidAccessible)) {
    *out = static_cast<IAccessible*>(this);
    AddRef();
    return S_OK;
  }
  *out = nullptr;
  return E_NOINTERFACE;
}

ULONG AccessibleBase::AddRef() { return static_cast<ULONG>(InterlockedIncrement(&refs_)); }

ULONG AccessibleBase::Release() {
  const LONG left = InterlockedDecrement(&refs_);
  if (left == 0) delete this;
  return static_cast<ULONG>(left);
}

HRESULT AccessibleBase::GetTypeInfoCount(UINT* count) {
  if (!count) return E_POINTER;
  *count = 0;
  return S_OK;
}

HRESULT AccessibleBase::get_accValue(VARIANT, BSTR* value) {
  if (value) *value = nullptr;
  return DISP_E_MEMBERNOTFOUND;
}

HRESULT AccessibleBase::get_accDescription(VARIANT, BSTR* text) {
  if (text) *text = nullptr;
  return DISP_E_MEMBERNOTFOUND;
}

HRESULT AccessibleBase::get_accHelp(VARIANT, BSTR* help) {
  if (help) *help = nullptr;
  return DISP_E_MEMBERNOTFOUND;
}

HRESULT AccessibleBase::get_accHelpTopic(BSTR* file, VARIANT, long* topic) {
  if (file) *file = nullptr;
  if (topic) *topic = 0;
  return DISP_E_MEMBERNOTFOUND;
}

HRESULT AccessibleBase::get_accKeyboardShortcut(VARIANT, BSTR* shortcut) {
  if (shortcut) *shortcut = nullptr;
  return DISP_E_MEMBERNOTFOUND;
}

HRESULT AccessibleBase::get_accSelection(VARIANT* selection) {
  if (selection) VariantInit(selection);
  return DISP_E_MEMBERNOTFOUND;
}

LRESULT AccessibleBase::Answer(IAccessible* object, WPARAM wParam) {
  KeepComOnThisThread();
  return LresultFromObject(kIidAccessible, wParam, object);
}

HRESULT AccessibleBase::WindowObject(HWND hwnd, IDispatch** parent) {
  return AccessibleObjectFromWindow(hwnd, static_cast<DWORD>(OBJID_WINDOW), IID_IDispatch,
                                    reinterpret_cast<void**>(parent));
}

BSTR AccessibleBase::Text(const std::string& utf8) {
  const std::u16string wide = Utf8ToUtf16(utf8);
  return SysAllocStringLen(reinterpret_cast<const OLECHAR*>(wide.data()), static_cast<UINT>(wide.size()));
}

void AccessibleBase::SetLong(VARIANT* v, long value) {
  VariantInit(v);
  v->vt = VT_I4;
  v->lVal = value;
}

}  // namespace kqm
