#pragma once
#include <memory>
#include <string>
#include <vector>

#include "platform/list_view.h"

namespace kqm::test {

// One list view implementation with the user's side of it: selecting a row and toggling its tick box.
class ListBackend {
 public:
  virtual ~ListBackend() = default;
  virtual ListView& List() = 0;
  // The user selects row `index` (1-based).
  virtual void UserSelects(int32_t index) = 0;
  // The user toggles the tick box of row `index` (1-based).
  virtual void UserToggles(int32_t index) = 0;
};

struct ListBackendMaker {
  std::string name;
  std::unique_ptr<ListBackend> (*make)();
};

// The implementations this build can test: the in-memory list everywhere, the real control on Windows.
std::vector<ListBackendMaker> ListBackends();

}  // namespace kqm::test
