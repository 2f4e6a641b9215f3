#pragma once
#include <cstdint>
#include <string>
#include <string_view>

#include "controls/skin_button/sknButton.h"

namespace kqm {

// Result of decoding outside bytes: the picture, or null and the reason.
struct PictureDecodeResult {
  PicturePtr picture;
  std::string error;
};

// Pictures larger than this many pixels (either side or in total) are refused when decoding.
constexpr std::int32_t kMaxPictureSide = 4096;
constexpr std::int64_t kMaxPicturePixels = 4096 * 1024;

// A .bmp file image of a picture: 32 bits per pixel, uncompressed, bottom-up rows.
std::string EncodeBmp(const ButtonPicture& picture);
// A .ico file image of a picture: one 32-bit image with its transparency mask.
std::string EncodeIco(const ButtonPicture& picture);
// Decodes a .bmp file (1, 4, 8, 24 or 32 bits per pixel, uncompressed) into a bitmap picture.
PictureDecodeResult DecodeBmp(std::string_view bytes);
// Decodes a .ico or .cur file (its largest DIB image; 1 to 32 bits per pixel) into an icon picture.
PictureDecodeResult DecodeIco(std::string_view bytes);

// Standard base64 with padding.
std::string Base64Encode(std::string_view bytes);
// Strict base64 decoding; false on any character outside the alphabet or bad padding.
bool Base64Decode(std::string_view text, std::string& bytes);

}  // namespace kqm
