#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "app/desired_state.h"
#include "app/json.h"

// Reads the input as JSON and as a desired state; aborts when a value read does not read back the same from its
// own JSON text, or when a refused text gives no reason.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const kqm::JsonParse read = kqm::ParseJson(std::string_view(reinterpret_cast<const char*>(data), size));
  if (!read.ok()) return 0;
  const std::string written = kqm::ToJson(read.value);
  const kqm::JsonParse again = kqm::ParseJson(written);
  if (!again.ok() || !(again.value == read.value)) {
    std::fprintf(stderr, "did not read back: %s (%s)\n", written.c_str(), again.error.c_str());
    std::abort();
  }
  std::string error;
  if (!kqm::ReadDesiredState(read.value, error) && error.empty()) {
    std::fprintf(stderr, "refused without a reason\n");
    std::abort();
  }
  return 0;
}
