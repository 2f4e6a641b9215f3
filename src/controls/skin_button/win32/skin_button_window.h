#pragma once
// Hosting the skinned button in any Win32 window: everything a parent needs, in plain Win32 terms.
//
// Class. RegisterSkinButtonClass() registers kSkinButtonClassName in the calling module. A window of the class
// made by CreateWindowExW or by a dialog template (class name in the template, no creation data needed) is a
// complete button with the control's defaults: the classic raised look in the system colours, its caption the
// window text, enabled unless WS_DISABLED, the container's default button with BS_DEFPUSHBUTTON. The window
// owns that button and frees it when it is destroyed. (C++ hosts that want the button's properties and events
// use SkinButtonHost in skin_button_host.h instead; the window then belongs to the host object.)
//
// Messages it answers as a push button does:
//   WM_SETTEXT, WM_GETTEXT, WM_GETTEXTLENGTH  the caption ("&" marks the access key, "&&" shows one "&")
//   WM_ENABLE (EnableWindow)                 the enabled or disabled look
//   WM_SETFONT, WM_GETFONT                   the caption font (a dialog gives its own font this way)
//   BM_CLICK                                 a click: the Click event, then BN_CLICKED to the parent
//   BM_GETCHECK, BM_SETCHECK                 the toggled state in check-box mode (BST_UNCHECKED otherwise)
//   BM_GETSTATE                              BST_PUSHED while drawn down, BST_FOCUS, and the check state
//   BM_SETSTYLE                              BS_DEFPUSHBUTTON / BS_PUSHBUTTON: default look on or off
//   WM_GETDLGCODE                            DLGC_BUTTON with DLGC_DEFPUSHBUTTON or DLGC_UNDEFPUSHBUTTON, and the
//                                            arrow keys (they move the focus along the tab order)
//   WM_CAPTURECHANGED, WM_CANCELMODE         end a press: the button pops up and no click follows
//   WM_UPDATEUISTATE                         the focus frame follows the parent's focus cues
//   WM_DPICHANGED_AFTERPARENT                the caption and picture are laid out again for the new resolution
//   WM_SYSCOLORCHANGE, WM_SETTINGCHANGE      the colours are read again
//   WM_SYSKEYDOWN, WM_SYSKEYUP               raise the KeyDown and KeyUp events, then go on to DefWindowProc
//
// Notifications to the parent: WM_COMMAND with BN_CLICKED and the control id after every click (pointer, Space,
// Enter while focused, access key, BM_CLICK). Nothing is touched after it, so the parent may destroy the button.
//
// What the parent must do:
//   - forward WM_SYSCOLORCHANGE and WM_SETTINGCHANGE to its child windows (only top-level windows get them);
//   - in a dialog, nothing else: IsDialogMessage gives the access keys (BM_CLICK), Enter to the default or
//     focused button and Tab and the arrow keys as for any push button; with the focus elsewhere, Enter reaches
//     the dialog as BN_CLICKED of the default button without passing through the button, as for any push button;
//   - in any other window, call SkinButtonTranslateMessage(msg) in its message loop before dispatching, so that
//     Alt+access key clicks the button it belongs to, Enter the default (or the focused) skinned button and Escape
//     the cancel button of the message's top-level window.
#include <windows.h>

namespace kqm {

// The window class every skinned button window belongs to.
inline constexpr wchar_t kSkinButtonClassName[] = L"KestrumQuorvelManager.sknButton";

// Registers the window class in this module (once; later calls succeed at once). False on failure.
bool RegisterSkinButtonClass();

// For the message loop of a container that is not a dialog: Alt+access key, Enter and Escape reach the skinned
// button they belong to in the message's top-level window. True when the message was consumed.
bool SkinButtonTranslateMessage(const MSG& msg);

}  // namespace kqm
