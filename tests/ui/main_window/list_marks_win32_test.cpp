#include <windows.h>

#include <commctrl.h>
#include <oleacc.h>

#include <gtest/gtest.h>

#include <string>

#include "platform/text.h"
#include "platform/win32/win32_shell.h"
#include "platform/win32/win32_list_accessible.h"
#include "platform/win32/win32_list_view.h"
#include "platform/win32/win32_main_window_view.h"

namespace kqm {
namespace {

constexpr char kNotepad[] = "C:\\windows\\system32\\notepad.exe";

// An image list function, found once the common controls are loaded (after the test's desktop is chosen).
template <typename Function>
Function ImageListEntry(const char* name) {
  return reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(LoadLibraryW(L"comctl32.dll"), name)));
}

// Two 16 by 16 images standing for the program's own row icons.
HIMAGELIST TwoIcons() {
  const auto create = ImageListEntry<HIMAGELIST(WINAPI*)(int, int, UINT, int, int)>("ImageList_Create");
  const auto replace = ImageListEntry<int(WINAPI*)(HIMAGELIST, int, HICON)>("ImageList_ReplaceIcon");
  HIMAGELIST list = create(16, 16, ILC_COLOR32 | ILC_MASK, 2, 0);
  for (int i = 0; i < 2; ++i) replace(list, -1, LoadIconW(nullptr, IDI_APPLICATION));
  return list;
}

// How the list's owner draw has row `index` (1-based) drawn, asked as the control asks its parent: the text colour,
// and the weight of the font it draws with (0: the list's own font, unchanged).
struct RowLook {
  COLORREF text = CLR_DEFAULT;
  LONG weight = 0;
};
RowLook LookOf(HWND parent, Win32ListView& list, int index) {
  LVITEMW item{};
  item.mask = LVIF_PARAM;
  item.iItem = index - 1;
  ListView_GetItem(list.Handle(), &item);
  NMLVCUSTOMDRAW cd{};
  cd.nmcd.hdr = {list.Handle(), 1, static_cast<UINT>(NM_CUSTOMDRAW)};
  cd.nmcd.dwDrawStage = CDDS_PREPAINT;
  const LRESULT prepaint = SendMessageW(parent, WM_NOTIFY, 1, reinterpret_cast<LPARAM>(&cd));
  if (!(prepaint & CDRF_NOTIFYITEMDRAW)) return {};
  HDC dc = CreateCompatibleDC(nullptr);
  cd.nmcd.dwDrawStage = CDDS_ITEMPREPAINT;
  cd.nmcd.dwItemSpec = static_cast<DWORD_PTR>(index - 1);
  cd.nmcd.lItemlParam = item.lParam;
  cd.nmcd.hdc = dc;
  cd.clrText = CLR_DEFAULT;
  RowLook look;
  if (SendMessageW(parent, WM_NOTIFY, 1, reinterpret_cast<LPARAM>(&cd)) & CDRF_NEWFONT) {
    LOGFONTW font{};
    GetObjectW(GetCurrentObject(dc, OBJ_FONT), sizeof font, &font);
    look.weight = font.lfWeight;
  }
  DeleteDC(dc);
  look.text = cd.clrText;
  return look;
}
COLORREF RowTextColour(HWND parent, Win32ListView& list, int index) { return LookOf(parent, list, index).text; }

TEST(Win32ListMarks, AMissingProgramGreysItsRowABoldOneIsBoldAndAnExistingOneShowsItsOwnIcon) {
  LoadLibraryW(L"comctl32.dll");
  CoInitialize(nullptr);
  Win32MainWindowView view;
  view.Create(8625, 6270, [] {});
  HIMAGELIST icons = TwoIcons();
  {
    Win32ListView list(view.Handle(), 1, 2955, 270, 4335, 4395, icons);
    list.Add("here", 1)->AddSubItem(kNotepad);
    list.Add("gone", 2)->AddSubItem("C:\\gone\\app.exe -x");
    EXPECT_EQ(CLR_DEFAULT, RowTextColour(view.Handle(), list, 2)) << "nothing is marked before it is known";
    list.Item(1)->Program(kNotepad, true);
    list.Item(2)->Program("C:\\gone\\app.exe", false);
    EXPECT_GE(list.RowImage(1), 2) << "the shell's icon of the program, added after the program's own two";
    EXPECT_EQ(1, list.RowImage(2)) << "a missing program keeps the row's own icon";
    EXPECT_EQ(GetSysColor(COLOR_GRAYTEXT), RowTextColour(view.Handle(), list, 2));
    EXPECT_EQ(CLR_DEFAULT, RowTextColour(view.Handle(), list, 1));
    list.Add("also here", 1)->Program("C:\\WINDOWS\\system32\\NOTEPAD.EXE", true);
    EXPECT_EQ(list.RowImage(1), list.RowImage(3)) << "one image per program, whatever the letter case";
    EXPECT_EQ(2, ImageListEntry<int(WINAPI*)(HIMAGELIST)>("ImageList_GetImageCount")(icons))
        << "the given list is copied, not changed";

    // A row marked bold is drawn in the list's font made bold, grey as well when its program is missing.
    list.Item(2)->Bold(true);
    EXPECT_EQ(FW_BOLD, LookOf(view.Handle(), list, 2).weight);
    EXPECT_EQ(GetSysColor(COLOR_GRAYTEXT), LookOf(view.Handle(), list, 2).text);
    EXPECT_EQ(0, LookOf(view.Handle(), list, 1).weight);
    list.Item(2)->Bold(false);
    EXPECT_EQ(0, LookOf(view.Handle(), list, 2).weight);
  }
  ImageListEntry<BOOL(WINAPI*)(HIMAGELIST)>("ImageList_Destroy")(icons);
}

std::string Read(HRESULT (STDMETHODCALLTYPE IAccessible::*get)(VARIANT, BSTR*), IAccessible* acc, long child) {
  VARIANT v;
  VariantInit(&v);
  v.vt = VT_I4;
  v.lVal = child;
  BSTR text = nullptr;
  if ((acc->*get)(v, &text) != S_OK || !text) return "<none>";
  const std::string utf8 = Utf16ToUtf8(std::u16string(reinterpret_cast<const char16_t*>(text), SysStringLen(text)));
  SysFreeString(text);
  return utf8;
}

long ReadLong(HRESULT (STDMETHODCALLTYPE IAccessible::*get)(VARIANT, VARIANT*), IAccessible* acc, long child) {
  VARIANT v, out;
  VariantInit(&v);
  VariantInit(&out);
  v.vt = VT_I4;
  v.lVal = child;
  return (acc->*get)(v, &out) == S_OK && out.vt == VT_I4 ? out.lVal : -1;
}

TEST(Win32ListMarks, AScreenReaderReadsTheColumnsAndEachRowAsNamePathAndState) {
  LoadLibraryW(L"comctl32.dll");
  CoInitialize(nullptr);
  Win32MainWindowView view;
  view.Create(8625, 6270, [] {});
  Win32ListView list(view.Handle(), 1, 2955, 270, 4335, 4395, nullptr);
  SetWindowTextW(list.Handle(), L"Startup entries");
  list.Add("Updater", 1)->AddSubItem("\"C:\\Program Files\\Up\\up.exe\" /q");
  list.Add("Zürich", 1)->AddSubItem("C:\\gone.exe");
  list.Item(1)->Checked(true);
  list.Item(2)->Program("C:\\gone.exe", false);
  list.Select(2);

  // As a screen reader asks, through the system's accessibility library (loaded now, on the test's desktop).
  using FromWindow = HRESULT(WINAPI*)(HWND, DWORD, REFIID, void**);
  const auto fromWindow = reinterpret_cast<FromWindow>(
      reinterpret_cast<void*>(GetProcAddress(LoadLibraryW(L"oleacc.dll"), "AccessibleObjectFromWindow")));
  ASSERT_NE(nullptr, fromWindow);
  IAccessible* acc = nullptr;
  ASSERT_EQ(S_OK, fromWindow(list.Handle(), static_cast<DWORD>(OBJID_CLIENT), kIidAccessible,
                             reinterpret_cast<void**>(&acc)));
  ASSERT_NE(nullptr, acc);
  long count = 0;
  EXPECT_EQ(S_OK, acc->get_accChildCount(&count));
  EXPECT_EQ(2, count);
  EXPECT_EQ(ROLE_SYSTEM_LIST, ReadLong(&IAccessible::get_accRole, acc, CHILDID_SELF));
  EXPECT_EQ("Startup entries", Read(&IAccessible::get_accName, acc, CHILDID_SELF));
  EXPECT_EQ("Columns: Application, Path", Read(&IAccessible::get_accDescription, acc, CHILDID_SELF));
  EXPECT_EQ("Updater, \"C:\\Program Files\\Up\\up.exe\" /q, on", Read(&IAccessible::get_accName, acc, 1));
  EXPECT_EQ("Zürich, C:\\gone.exe, off", Read(&IAccessible::get_accName, acc, 2));
  EXPECT_EQ(ROLE_SYSTEM_LISTITEM, ReadLong(&IAccessible::get_accRole, acc, 1));
  EXPECT_EQ("<none>", Read(&IAccessible::get_accDescription, acc, 1));
  EXPECT_EQ("file not found", Read(&IAccessible::get_accDescription, acc, 2));
  EXPECT_TRUE(ReadLong(&IAccessible::get_accState, acc, 1) & STATE_SYSTEM_CHECKED);
  const long second = ReadLong(&IAccessible::get_accState, acc, 2);
  EXPECT_FALSE(second & STATE_SYSTEM_CHECKED);
  EXPECT_TRUE(second & STATE_SYSTEM_SELECTED);
  EXPECT_EQ("Uncheck", Read(&IAccessible::get_accDefaultAction, acc, 1));

  VARIANT first;
  VariantInit(&first);
  first.vt = VT_I4;
  first.lVal = 1;
  EXPECT_EQ(S_OK, acc->accDoDefaultAction(first));
  EXPECT_FALSE(list.Item(1)->Checked()) << "the default action unticks the row, as a click on its box";
  EXPECT_EQ("Updater, \"C:\\Program Files\\Up\\up.exe\" /q, off", Read(&IAccessible::get_accName, acc, 1));

  // The column header the list keeps (hidden under the painted one) holds the same names.
  wchar_t caption[32] = {};
  HDITEMW header{};
  header.mask = HDI_TEXT;
  header.pszText = caption;
  header.cchTextMax = 32;
  ASSERT_TRUE(SendMessageW(ListView_GetHeader(list.Handle()), HDM_GETITEMW, 0, reinterpret_cast<LPARAM>(&header)));
  EXPECT_STREQ(L"Application", caption);
  acc->Release();
}

TEST(Win32ListMarks, TheShellReadsAProgramsVersionResource) {
  wchar_t self[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, self, MAX_PATH);
  Win32Shell shell;
  const std::optional<FileVersionFacts> facts = shell.FileVersion(Utf16ToUtf8(reinterpret_cast<const char16_t*>(self)));
  ASSERT_TRUE(facts);
  EXPECT_EQ("List tests (Zürich)", facts->description);
  EXPECT_EQ("Kestrum Test Works", facts->company);
  EXPECT_EQ("3.1.4.15", facts->version) << "without a FileVersion string, the fixed part's numbers";
  EXPECT_FALSE(shell.FileVersion("C:\\kqm-never\\there.exe"));
}

}  // namespace
}  // namespace kqm
