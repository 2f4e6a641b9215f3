#pragma once
#include <cstdint>
#include <stdexcept>
#include <vector>

namespace kqm {

// An array handed out with entries 1 to Count(); index 0 and indices past the count are out of range.
template <typename T>
class OneBasedArray {
 public:
  int32_t Count() const { return static_cast<int32_t>(items_.size()); }
  const T& operator()(int32_t i) const { return items_.at(Index(i)); }
  T& operator()(int32_t i) { return items_.at(Index(i)); }
  void Clear() { items_.clear(); }
  void Append(T item) { items_.push_back(std::move(item)); }
  void Reserve(size_t n) { items_.reserve(n); }
  auto begin() const { return items_.begin(); }
  auto end() const { return items_.end(); }

 private:
  static size_t Index(int32_t i) {
    if (i < 1) throw std::out_of_range("index below 1");
    return static_cast<size_t>(i - 1);
  }
  std::vector<T> items_;
};

}  // namespace kqm
