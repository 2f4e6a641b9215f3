#pragma once
#include <cstdint>

namespace kqm {

// The moment a process is ended (killed, logged off, a power cut), shared by the failing stand-ins of every seam:
// their calls are counted together, and from the call it ends at on, every call of each fails without reaching
// what it wraps, as nothing a killed process asks for happens any more.
class ProcessEnd {
 public:
  // Ends the process at call `n` from now (1 = the next call; 0 = never); the count starts again.
  void At(uint64_t n) {
    at_ = n;
    calls_ = 0;
  }
  // Counts one call; true when the process has ended at it or before.
  bool Counts() {
    ++calls_;
    return Ended();
  }
  // True once the call it ends at has been made.
  bool Ended() const { return at_ != 0 && calls_ >= at_; }
  // Calls counted since At.
  uint64_t Calls() const { return calls_; }

 private:
  uint64_t at_ = 0;
  uint64_t calls_ = 0;
};

}  // namespace kqm
