#include "list_backend.h"

namespace kqm::test {

std::unique_ptr<ListBackend> MakeMemoryBackend();

std::vector<ListBackendMaker> ListBackends() { return {{"Memory", &MakeMemoryBackend}}; }

}  // namespace kqm::test
