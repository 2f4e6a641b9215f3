#include "platform/substitute/memory_registry.h"
#include "registry_backend.h"

namespace kqm::test {

namespace {
MemoryRegistry& Memory() {
  static MemoryRegistry registry;
  return registry;
}
}  // namespace

RegistryApi& Registry() { return Memory(); }
void SetEnvironment(const std::string& name, const std::string& value) { Memory().SetEnvironment(name, value); }
bool IsRealRegistry() { return false; }

bool RunningUnderWine() { return false; }

}  // namespace kqm::test
