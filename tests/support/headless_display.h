#pragma once

namespace kqm::test {

// Registers a test environment that, under Wine without an X display, moves the test thread onto a desktop of its
// own on Wine's null display driver before the first test, so windows can be created; elsewhere it does nothing.
// namePrefix names the desktop. Use at namespace scope: `const bool kHeadless = RegisterHeadlessDisplay(L"...");`
bool RegisterHeadlessDisplay(const wchar_t* namePrefix);

}  // namespace kqm::test
