#include "ui/main_window/win32/history_window_win32.h"

#include <commctrl.h>

#include <algorithm>
#include <vector>

#include "app/app_identity.h"
#include "platform/win32/win32_wide_text.h"

namespace kqm {

namespace {

enum ControlId { kLabelId = 200, kListId = 201, kUndoId = 202 };

// The list's columns and their widths in dialog units.
struct Column {
  const wchar_t* caption;
  int width;
};
constexpr Column kColumns[] = {{L"Time", 92}, {L"Action", 78}, {L"Location", 66}, {L"Name", 82}, {L"Result", 130}};

struct Dialog {
  const HistoryWindow::Handlers& handlers;
  std::vector<HistoryRow> rows;
  HWND hwnd = nullptr, label = nullptr, list = nullptr, undo = nullptr, close = nullptr;
};

// A dialog template with no controls (they are made when it opens): resizable, in the dialog font, `title`.
std::vector<WORD> Template(const wchar_t* title) {
  std::vector<WORD> words(sizeof(DLGTEMPLATE) / sizeof(WORD), 0);
  auto* t = reinterpret_cast<DLGTEMPLATE*>(words.data());
  t->style = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | DS_SETFONT | DS_CENTER | DS_MODALFRAME;
  t->cx = 476;
  t->cy = 220;
  words.push_back(0);  // no menu
  words.push_back(0);  // the standard dialog class
  for (const wchar_t* c = title; *c; ++c) words.push_back(static_cast<WORD>(*c));
  words.push_back(0);
  words.push_back(8);  // points
  for (const wchar_t* c = L"MS Shell Dlg"; *c; ++c) words.push_back(static_cast<WORD>(*c));
  words.push_back(0);
  return words;
}

int Dlu(HWND hwnd, int x, bool vertical = false) {
  RECT r{0, 0, x, x};
  MapDialogRect(hwnd, &r);
  return vertical ? r.bottom : r.right;
}

HWND Child(Dialog& d, const wchar_t* cls, const wchar_t* text, DWORD style, int id, DWORD exStyle = 0) {
  const HWND child = CreateWindowExW(exStyle, cls, text, WS_CHILD | WS_VISIBLE | style, 0, 0, 0, 0, d.hwnd,
                                     reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleW(nullptr),
                                     nullptr);
  SendMessageW(child, WM_SETFONT, SendMessageW(d.hwnd, WM_GETFONT, 0, 0), FALSE);
  return child;
}

void Layout(Dialog& d) {
  RECT client;
  GetClientRect(d.hwnd, &client);
  const int margin = Dlu(d.hwnd, 7), gap = Dlu(d.hwnd, 4), labelHeight = Dlu(d.hwnd, 9, true);
  const int buttonWidth = Dlu(d.hwnd, 50), buttonHeight = Dlu(d.hwnd, 14, true);
  const int buttonsTop = client.bottom - margin - buttonHeight;
  MoveWindow(d.label, margin, margin, client.right - 2 * margin, labelHeight, TRUE);
  const int listTop = margin + labelHeight + gap / 2;
  MoveWindow(d.list, margin, listTop, std::max(0, static_cast<int>(client.right) - 2 * margin),
             std::max(0, buttonsTop - gap - listTop), TRUE);
  MoveWindow(d.close, client.right - margin - buttonWidth, buttonsTop, buttonWidth, buttonHeight, TRUE);
  MoveWindow(d.undo, client.right - margin - 2 * buttonWidth - gap, buttonsTop, buttonWidth, buttonHeight, TRUE);
}

int Selected(const Dialog& d) { return static_cast<int>(SendMessageW(d.list, LVM_GETNEXTITEM, -1, LVNI_SELECTED)); }

// Reads the rows again and shows them, the change `keep` selected (else the newest).
void Fill(Dialog& d, uint64_t keep) {
  d.rows = d.handlers.rows();
  SendMessageW(d.list, WM_SETREDRAW, FALSE, 0);
  ListView_DeleteAllItems(d.list);
  int select = 0;
  for (size_t i = 0; i < d.rows.size(); ++i) {
    const HistoryRow& row = d.rows[i];
    const std::wstring cells[] = {Wide(row.time), Wide(row.action), Wide(row.location), Wide(row.name),
                                  Wide(row.result)};
    LVITEMW item{};
    item.mask = LVIF_TEXT;
    item.iItem = static_cast<int>(i);
    item.pszText = const_cast<wchar_t*>(cells[0].c_str());
    const int at = static_cast<int>(SendMessageW(d.list, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item)));
    for (int column = 1; column < 5; ++column) {
      item.iSubItem = column;
      item.pszText = const_cast<wchar_t*>(cells[column].c_str());
      SendMessageW(d.list, LVM_SETITEMTEXTW, at, reinterpret_cast<LPARAM>(&item));
    }
    if (row.id == keep) select = at;
  }
  if (!d.rows.empty()) {
    ListView_SetItemState(d.list, select, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    ListView_EnsureVisible(d.list, select, FALSE);
  }
  SendMessageW(d.list, WM_SETREDRAW, TRUE, 0);
  InvalidateRect(d.list, nullptr, TRUE);
  EnableWindow(d.undo, Selected(d) >= 0);
}

void Create(Dialog& d) {
  // Made in Tab order; the label right before the list names it for screen readers (and Alt+C reaches it).
  d.label = Child(d, L"STATIC", L"&Changes, newest first:", SS_LEFT, kLabelId);
  d.list = Child(d, WC_LISTVIEWW, L"", WS_TABSTOP | LVS_REPORT | LVS_SINGLESEL | LVS_SHOWSELALWAYS, kListId,
                 WS_EX_CLIENTEDGE);
  ListView_SetExtendedListViewStyle(d.list, LVS_EX_FULLROWSELECT | LVS_EX_DOUBLEBUFFER);
  for (int i = 0; i < 5; ++i) {
    LVCOLUMNW column{};
    column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
    column.pszText = const_cast<wchar_t*>(kColumns[i].caption);
    column.cx = Dlu(d.hwnd, kColumns[i].width);
    column.iSubItem = i;
    SendMessageW(d.list, LVM_INSERTCOLUMNW, i, reinterpret_cast<LPARAM>(&column));
  }
  d.undo = Child(d, L"BUTTON", L"&Undo", WS_TABSTOP | BS_PUSHBUTTON, kUndoId);
  d.close = Child(d, L"BUTTON", L"Close", WS_TABSTOP | BS_PUSHBUTTON, IDCANCEL);
}

void UndoSelected(Dialog& d) {
  const int selected = Selected(d);
  if (selected < 0 || static_cast<size_t>(selected) >= d.rows.size()) return;
  const std::string message = d.handlers.undo(d.rows[static_cast<size_t>(selected)].id);
  if (!message.empty())
    MessageBoxW(d.hwnd, Wide(message).c_str(), Wide(kAppTitle).c_str(), MB_OK | MB_ICONINFORMATION);
  // The undo is the newest change now; the row the user was at stays selected.
  Fill(d, d.rows[static_cast<size_t>(selected)].id);
  SetFocus(d.list);
}

INT_PTR CALLBACK DialogProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  auto* d = reinterpret_cast<Dialog*>(GetWindowLongPtrW(hwnd, DWLP_USER));
  switch (msg) {
    case WM_INITDIALOG:
      d = reinterpret_cast<Dialog*>(lParam);
      SetWindowLongPtrW(hwnd, DWLP_USER, lParam);
      d->hwnd = hwnd;
      Create(*d);
      Fill(*d, 0);
      Layout(*d);
      SetFocus(d->list);
      return FALSE;  // the focus is set
    case WM_SIZE:
      if (d) Layout(*d);
      return TRUE;
    case WM_GETMINMAXINFO: {
      auto* info = reinterpret_cast<MINMAXINFO*>(lParam);
      info->ptMinTrackSize = {Dlu(hwnd, 200), Dlu(hwnd, 100, true)};
      return TRUE;
    }
    case WM_NOTIFY:
      if (d && reinterpret_cast<NMHDR*>(lParam)->idFrom == kListId &&
          reinterpret_cast<NMHDR*>(lParam)->code == LVN_ITEMCHANGED)
        EnableWindow(d->undo, Selected(*d) >= 0);
      return FALSE;
    case WM_COMMAND:
      if (!d) return FALSE;
      if (LOWORD(wParam) == kUndoId) {
        UndoSelected(*d);
      } else if (LOWORD(wParam) == IDCANCEL) {
        EndDialog(hwnd, 0);
      }  // Enter (IDOK) undoes nothing: the Undo button is pressed on purpose
      return TRUE;
    default:
      return FALSE;
  }
}

}  // namespace

void Win32HistoryWindow::Show(const Handlers& handlers) {
  Dialog dialog{handlers, {}};
  const std::vector<WORD> words = Template(kTitle);
  DialogBoxIndirectParamW(GetModuleHandleW(nullptr), reinterpret_cast<const DLGTEMPLATE*>(words.data()), owner_,
                          DialogProc, reinterpret_cast<LPARAM>(&dialog));
}

}  // namespace kqm
