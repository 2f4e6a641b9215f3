#include "engine/clsStartUp.h"

namespace kqm {

clsStartUp::clsStartUp(RegistryApi& registry, ErrorReporter& reporter, const std::string& appBaseName)
    : registry_(std::make_unique<clsRegistry>(registry, reporter, appBaseName)) {}

}  // namespace kqm
