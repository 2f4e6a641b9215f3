#pragma once
#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace kqm {

// SHA-256 (FIPS 180-4) of a message given in pieces of any size.
class Sha256 {
 public:
  Sha256() { Reset(); }

  // Appends bytes to the message.
  void Update(std::string_view bytes);
  // The 32-byte digest of the message so far; the hasher then starts a new, empty message.
  std::array<uint8_t, 32> Finish();
  // The digest as 64 lowercase hex digits; the hasher then starts a new, empty message.
  std::string FinishHex();

 private:
  void Reset();
  void Compress(const uint8_t* block);

  std::array<uint32_t, 8> state_{};
  std::array<uint8_t, 64> pending_{};
  size_t pendingSize_ = 0;
  uint64_t messageBytes_ = 0;
};

// The SHA-256 digest of `bytes` as 64 lowercase hex digits.
std::string Sha256Hex(std::string_view bytes);

}  // namespace kqm
