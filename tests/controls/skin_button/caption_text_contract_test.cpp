#include "caption_text_contract.h"
#include "platform/substitute/fixed_text_renderer.h"

namespace kqm {
namespace {

TEST(CaptionTextContract, FixedCellRendererKeepsTheRendererContract) {
  FixedTextRenderer text;
  testing::CheckTextRendererContract(text);
}

}  // namespace
}  // namespace kqm
