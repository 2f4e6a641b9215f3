#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "../model_test_site.h"
#include "controls/skin_button/button_input.h"
#include "controls/skin_button/picture_codec.h"
#include "controls/skin_button/property_bag.h"

// Bag text from outside: loading never crashes, whatever loads saves to text that loads cleanly and saves
// again to the same text, and a button loaded from it can be shown, pressed and hovered. The picture
// decoders get the raw bytes too.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  kqm::TextPropertyBag bag;
  bag.Load(text);
  for (const auto& e : bag.Entries()) {
    bag.ReadLong(e.key, 0);
    bag.ReadInteger(e.key, 0);
    bag.ReadBool(e.key, false);
    bag.ReadString(e.key, "");
    bag.ReadFont(e.key, {});
    bag.ReadPicture(e.key, nullptr);
  }
  const std::string saved = bag.Save();
  kqm::TextPropertyBag again;
  if (!again.Load(saved) || again.Save() != saved) std::abort();

  kqm::testing::TestSite site;
  kqm::sknButton button(site);
  button.ReadProperties(bag);
  button.Resize();
  button.Show();
  kqm::ButtonInput input(button);
  site.mouseOver = true;
  input.PointerMove(0, 0, 3, 3);
  input.PointerDown(kqm::kMouseLeft, 0, 3, 3);
  input.PointerUp(kqm::kMouseLeft, 0, 3, 3);
  input.FocusGained();
  button.Enabled(!button.Enabled());
  kqm::TextPropertyBag written;
  button.WriteProperties(written);

  for (const kqm::PictureDecodeResult& r : {kqm::DecodeBmp(text), kqm::DecodeIco(text)}) {
    if (r.picture && r.picture->pixels.size() != static_cast<size_t>(r.picture->width) * r.picture->height) {
      std::abort();
    }
  }
  return 0;
}
