#pragma once
#include <memory>
#include <string>

#include "app/error_reporter.h"
#include "platform/registry_api.h"
#include "registry/clsRegistry.h"

namespace kqm {

// The startup-item engine: lists the launch locations and moves entries between them and the program's store.
class clsStartUp {
 public:
  clsStartUp(RegistryApi& registry, ErrorReporter& reporter, const std::string& appBaseName);

  clsRegistry& Registry() { return *registry_; }

 private:
  std::unique_ptr<clsRegistry> registry_;
};

}  // namespace kqm
