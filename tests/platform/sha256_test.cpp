#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "platform/sha256.h"

namespace kqm {
namespace {

const std::string k448Bits = "abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq";
const std::string k896Bits =
    "abcdefghbcdefghicdefghijdefghijkefghijklfghijklmghijklmnhijklmnoijklmnopjklmnopqklmnopqrlmnopqrsmnopqrstnopqrstu";
constexpr const char* kMillionADigest = "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0";

// The test vectors published with the standard (FIPS 180-2, appendix B, and the empty message).
TEST(Sha256, StandardTestVectors) {
  EXPECT_EQ(Sha256Hex(""), "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855");
  EXPECT_EQ(Sha256Hex("abc"), "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
  EXPECT_EQ(Sha256Hex(k448Bits), "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1");
  EXPECT_EQ(Sha256Hex(k896Bits), "cf5b16a778af8380036ce59e7b0492370b249b11e8f07a51afac45037afee9d1");
  EXPECT_EQ(Sha256Hex(std::string(1'000'000, 'a')), kMillionADigest);
}

// Pieces that end inside, at and across block boundaries give the digest of the whole message, and a finished
// hasher starts over.
TEST(Sha256, PiecesOfAnySizeHashAsTheWholeMessage) {
  Sha256 hasher;
  size_t fed = 0;
  for (size_t piece = 1; fed < 1'000'000; piece = piece % 130 + 1) {
    const size_t n = std::min(piece, 1'000'000 - fed);
    hasher.Update(std::string(n, 'a'));
    hasher.Update("");
    fed += n;
  }
  EXPECT_EQ(hasher.FinishHex(), kMillionADigest);
  hasher.Update("ab");
  hasher.Update("c");
  EXPECT_EQ(hasher.FinishHex(), "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
}

}  // namespace
}  // namespace kqm
