#include "list_backend.h"
#include "platform/substitute/memory_list_view.h"

namespace kqm::test {

namespace {
class MemoryBackend final : public ListBackend {
 public:
  ListView& List() override { return list_; }
  void UserSelects(int32_t index) override { list_.Select(index); }
  void UserToggles(int32_t index) override { list_.ClickTickBox(index); }

 private:
  MemoryListView list_;
};
}  // namespace

std::unique_ptr<ListBackend> MakeMemoryBackend() { return std::make_unique<MemoryBackend>(); }

}  // namespace kqm::test
