// The window base under Wine: an object answers its window's messages from the first one it can be found by to
// the last, and none once either the window or the object is gone.
#include <windows.h>

#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "headless_display.h"
#include "platform/win32/win32_window.h"

namespace kqm {
namespace {

const bool kHeadless = test::RegisterHeadlessDisplay(L"kqm-window-base");

struct Record {
  std::vector<UINT> messages;
  bool gone = false;               // the object's own part has been destroyed
  int afterGone = 0;               // messages that reached it after that
  HWND windowAtCreate = nullptr;   // Window() as WM_NCCREATE arrived
};

class Probe final : public Win32Window<Probe> {
 public:
  static constexpr const wchar_t* kClassName = L"KestrumQuorvelManager.WindowBaseProbe";
  explicit Probe(Record& record) : record_(record) {}
  ~Probe() { record_.gone = true; }
  HWND Create(HWND parent) {
    return CreateHandle(0, parent ? WS_CHILD | WS_VISIBLE : WS_OVERLAPPEDWINDOW, 0, 0, 60, 40, parent,
                        parent ? 7 : 0);
  }
  LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
    if (record_.gone) ++record_.afterGone;
    if (msg == WM_NCCREATE) record_.windowAtCreate = Window();
    record_.messages.push_back(msg);
    return DefaultMessage(msg, wParam, lParam);
  }

 private:
  Record& record_;
};

TEST(Win32Window, TheObjectAnswersFromCreationUntilItsWindowOrItselfIsGone) {
  Record top;
  auto parent = std::make_unique<Probe>(top);
  const HWND parentWindow = parent->Create(nullptr);
  ASSERT_NE(parentWindow, nullptr);
  ASSERT_FALSE(top.messages.empty());
  EXPECT_EQ(top.messages.front(), static_cast<UINT>(WM_NCCREATE)) << "the object is found from WM_NCCREATE on";
  EXPECT_EQ(top.windowAtCreate, parentWindow);
  EXPECT_EQ(Probe::FromWindow(parentWindow), parent.get());

  // The parent takes its child window with it: both objects let go of their handles (which the system may give to
  // another window) and can still be freed.
  Record inner;
  auto child = std::make_unique<Probe>(inner);
  const HWND childWindow = child->Create(parentWindow);
  ASSERT_NE(childWindow, nullptr);
  EXPECT_EQ(Probe::FromWindow(childWindow), child.get());
  DestroyWindow(parentWindow);
  EXPECT_EQ(child->Window(), nullptr);
  EXPECT_EQ(parent->Window(), nullptr);
  child.reset();
  parent.reset();

  // An object freed while its window lives takes the window along, and the window's last messages stay away
  // from the freed object.
  Record freed;
  auto probe = std::make_unique<Probe>(freed);
  const HWND window = probe->Create(nullptr);
  ASSERT_NE(window, nullptr);
  probe.reset();
  EXPECT_FALSE(IsWindow(window));
  EXPECT_EQ(freed.afterGone, 0);
}

}  // namespace
}  // namespace kqm
