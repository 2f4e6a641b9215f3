#pragma once
#include <utility>

namespace kqm {

// The one move-only owner of a platform handle: Closer{}(h) runs exactly once for every handle it owns.
// H is the handle type; `invalid` marks "owns nothing".
template <typename H, typename Closer, H invalid = H{}>
class UniqueHandle {
 public:
  UniqueHandle() = default;
  explicit UniqueHandle(H h, Closer closer = Closer{}) : h_(h), closer_(std::move(closer)) {}
  ~UniqueHandle() { reset(); }
  UniqueHandle(UniqueHandle&& o) noexcept : h_(std::exchange(o.h_, invalid)), closer_(std::move(o.closer_)) {}
  UniqueHandle& operator=(UniqueHandle&& o) noexcept {
    if (this != &o) {
      reset();
      h_ = std::exchange(o.h_, invalid);
      closer_ = std::move(o.closer_);
    }
    return *this;
  }
  UniqueHandle(const UniqueHandle&) = delete;
  UniqueHandle& operator=(const UniqueHandle&) = delete;

  H get() const { return h_; }
  explicit operator bool() const { return h_ != invalid; }
  H release() { return std::exchange(h_, invalid); }
  void reset(H h = invalid) {
    if (h_ != invalid) closer_(h_);
    h_ = h;
  }

 private:
  H h_ = invalid;
  Closer closer_{};
};

}  // namespace kqm
