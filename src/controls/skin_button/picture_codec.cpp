#include "controls/skin_button/picture_codec.h"

#include <array>
#include <vector>

namespace kqm {
namespace {

class Reader {
 public:
  explicit Reader(std::string_view bytes) : b_(bytes) {}
  bool Has(size_t offset, size_t count) const { return offset <= b_.size() && count <= b_.size() - offset; }
  std::uint8_t U8(size_t o) const { return static_cast<std::uint8_t>(b_[o]); }
  std::uint16_t U16(size_t o) const { return static_cast<std::uint16_t>(U8(o) | (U8(o + 1) << 8)); }
  std::uint32_t U32(size_t o) const {
    return static_cast<std::uint32_t>(U16(o)) | (static_cast<std::uint32_t>(U16(o + 2)) << 16);
  }
  std::int32_t I32(size_t o) const { return static_cast<std::int32_t>(U32(o)); }
  size_t size() const { return b_.size(); }

 private:
  std::string_view b_;
};

void Put16(std::string& s, std::uint32_t v) {
  s.push_back(static_cast<char>(v & 0xFF));
  s.push_back(static_cast<char>((v >> 8) & 0xFF));
}
void Put32(std::string& s, std::uint32_t v) {
  Put16(s, v & 0xFFFF);
  Put16(s, v >> 16);
}

void PutInfoHeader(std::string& s, std::int32_t width, std::int32_t height, std::uint32_t imageBytes) {
  Put32(s, 40);
  Put32(s, static_cast<std::uint32_t>(width));
  Put32(s, static_cast<std::uint32_t>(height));
  Put16(s, 1);
  Put16(s, 32);
  Put32(s, 0);
  Put32(s, imageBytes);
  Put32(s, 3780);  // 96 pixels per inch
  Put32(s, 3780);
  Put32(s, 0);
  Put32(s, 0);
}

void PutBottomUpPixels(std::string& s, const ButtonPicture& p) {
  for (std::int32_t y = p.height - 1; y >= 0; --y) {
    for (std::int32_t x = 0; x < p.width; ++x) Put32(s, p.At(x, y));
  }
}

// The pixels of one DIB (info header at `at`, colour bits at `bits`, rows of `height`), as 0xAARRGGBB with
// alpha as stored for 32-bit images and 0 otherwise.
struct Dib {
  std::int32_t width = 0;
  std::int32_t height = 0;
  std::vector<std::uint32_t> pixels;
};

bool CheckSize(std::int64_t w, std::int64_t h, std::string& error) {
  if (w <= 0 || h <= 0) {
    error = "empty or negative picture size";
    return false;
  }
  if (w > kMaxPictureSide || h > kMaxPictureSide || w * h > kMaxPicturePixels) {
    error = "picture too large";
    return false;
  }
  return true;
}

// Reads the header at `at`. For icons the header's height is twice the image height (colour plus mask).
bool ReadDib(const Reader& r, size_t at, size_t bitsAt, bool icon, Dib& out, size_t& bitsEnd, std::string& error) {
  if (!r.Has(at, 40)) {
    error = "truncated bitmap header";
    return false;
  }
  const std::uint32_t headerSize = r.U32(at);
  if (headerSize < 40 || headerSize > 1024 || !r.Has(at, headerSize)) {
    error = "unsupported bitmap header";
    return false;
  }
  const std::int64_t width = r.I32(at + 4);
  std::int64_t height = r.I32(at + 8);
  const std::uint16_t planes = r.U16(at + 12);
  const std::uint16_t bpp = r.U16(at + 14);
  const std::uint32_t compression = r.U32(at + 16);
  std::uint32_t colorsUsed = r.U32(at + 32);
  bool topDown = false;
  if (height < 0) {
    if (icon || height == INT32_MIN) {
      error = "bad bitmap height";
      return false;
    }
    height = -height;
    topDown = true;
  }
  if (icon) height /= 2;
  if (!CheckSize(width, height, error)) return false;
  if (planes != 1) {
    error = "bad plane count";
    return false;
  }
  if (bpp != 1 && bpp != 4 && bpp != 8 && bpp != 24 && bpp != 32) {
    error = "unsupported bits per pixel";
    return false;
  }
  const bool bitfields = compression == 3 && bpp == 32;
  if (compression != 0 && !bitfields) {
    error = "compressed bitmaps are not supported";
    return false;
  }
  size_t paletteAt = at + headerSize;
  if (bitfields && headerSize == 40) {
    if (!r.Has(paletteAt, 12) || r.U32(paletteAt) != 0xFF0000u || r.U32(paletteAt + 4) != 0xFF00u ||
        r.U32(paletteAt + 8) != 0xFFu) {
      error = "unsupported colour masks";
      return false;
    }
    paletteAt += 12;
  }
  std::vector<std::uint32_t> palette;
  if (bpp <= 8) {
    const std::uint32_t maxColors = 1u << bpp;
    if (colorsUsed == 0 || colorsUsed > maxColors) colorsUsed = maxColors;
    if (!r.Has(paletteAt, static_cast<size_t>(colorsUsed) * 4)) {
      error = "truncated palette";
      return false;
    }
    for (std::uint32_t i = 0; i < colorsUsed; ++i) palette.push_back(r.U32(paletteAt + i * 4) & 0xFFFFFFu);
    palette.resize(maxColors, 0);
    if (bitsAt == 0) bitsAt = paletteAt + colorsUsed * 4;
  } else if (bitsAt == 0) {
    bitsAt = paletteAt;
  }
  const size_t stride = ((static_cast<size_t>(width) * bpp + 31) / 32) * 4;
  if (!r.Has(bitsAt, stride * static_cast<size_t>(height))) {
    error = "truncated pixel data";
    return false;
  }
  out.width = static_cast<std::int32_t>(width);
  out.height = static_cast<std::int32_t>(height);
  out.pixels.assign(static_cast<size_t>(width * height), 0);
  for (std::int32_t row = 0; row < out.height; ++row) {
    const size_t line = bitsAt + stride * static_cast<size_t>(row);
    const std::int32_t y = topDown ? row : out.height - 1 - row;
    for (std::int32_t x = 0; x < out.width; ++x) {
      std::uint32_t px = 0;
      switch (bpp) {
        case 32: px = r.U32(line + static_cast<size_t>(x) * 4); break;
        case 24: {
          const size_t o = line + static_cast<size_t>(x) * 3;
          px = r.U8(o) | (r.U8(o + 1) << 8) | (r.U8(o + 2) << 16);
          break;
        }
        default: {
          const size_t bit = static_cast<size_t>(x) * bpp;
          const std::uint8_t byte = r.U8(line + bit / 8);
          const unsigned shift = 8 - bpp - static_cast<unsigned>(bit % 8);
          px = palette[(byte >> shift) & ((1u << bpp) - 1)];
        }
      }
      out.pixels[static_cast<size_t>(y) * out.width + x] = px;
    }
  }
  bitsEnd = bitsAt + stride * static_cast<size_t>(height);
  return true;
}

}  // namespace

std::string EncodeBmp(const ButtonPicture& p) {
  const std::uint32_t imageBytes = static_cast<std::uint32_t>(p.pixels.size() * 4);
  std::string s;
  s.reserve(54 + imageBytes);
  s += "BM";
  Put32(s, 54 + imageBytes);
  Put32(s, 0);
  Put32(s, 54);
  PutInfoHeader(s, p.width, p.height, imageBytes);
  PutBottomUpPixels(s, p);
  return s;
}

std::string EncodeIco(const ButtonPicture& p) {
  const size_t maskStride = ((static_cast<size_t>(p.width) + 31) / 32) * 4;
  const std::uint32_t colorBytes = static_cast<std::uint32_t>(p.pixels.size() * 4);
  const std::uint32_t maskBytes = static_cast<std::uint32_t>(maskStride * p.height);
  std::string s;
  Put16(s, 0);
  Put16(s, 1);
  Put16(s, 1);
  s.push_back(static_cast<char>(p.width >= 256 ? 0 : p.width));
  s.push_back(static_cast<char>(p.height >= 256 ? 0 : p.height));
  s.push_back(0);
  s.push_back(0);
  Put16(s, 1);
  Put16(s, 32);
  Put32(s, 40 + colorBytes + maskBytes);
  Put32(s, 22);
  PutInfoHeader(s, p.width, p.height * 2, colorBytes + maskBytes);
  PutBottomUpPixels(s, p);
  for (std::int32_t y = p.height - 1; y >= 0; --y) {
    std::string row(maskStride, '\0');
    for (std::int32_t x = 0; x < p.width; ++x) {
      if ((p.At(x, y) >> 24) == 0) row[x / 8] = static_cast<char>(row[x / 8] | (0x80 >> (x % 8)));
    }
    s += row;
  }
  return s;
}

PictureDecodeResult DecodeBmp(std::string_view bytes) {
  PictureDecodeResult result;
  Reader r(bytes);
  if (!r.Has(0, 14) || bytes[0] != 'B' || bytes[1] != 'M') {
    result.error = "not a bitmap file";
    return result;
  }
  const std::uint32_t bitsAt = r.U32(10);
  if (bitsAt < 14 + 40) {
    result.error = "bad pixel data offset";
    return result;
  }
  Dib dib;
  size_t end = 0;
  if (!ReadDib(r, 14, bitsAt, false, dib, end, result.error)) return result;
  result.picture = MakePicture(ButtonPicture::Kind::Bitmap, dib.width, dib.height, std::move(dib.pixels));
  return result;
}

PictureDecodeResult DecodeIco(std::string_view bytes) {
  PictureDecodeResult result;
  Reader r(bytes);
  if (!r.Has(0, 6) || r.U16(0) != 0 || (r.U16(2) != 1 && r.U16(2) != 2) || r.U16(4) == 0) {
    result.error = "not an icon file";
    return result;
  }
  const std::uint16_t count = r.U16(4);
  if (!r.Has(6, static_cast<size_t>(count) * 16)) {
    result.error = "truncated icon directory";
    return result;
  }
  size_t best = 0;
  std::int64_t bestScore = -1;
  for (std::uint16_t i = 0; i < count; ++i) {
    const size_t e = 6 + static_cast<size_t>(i) * 16;
    const std::int64_t w = r.U8(e) == 0 ? 256 : r.U8(e);
    const std::int64_t h = r.U8(e + 1) == 0 ? 256 : r.U8(e + 1);
    const std::int64_t score = w * h * 64 + r.U16(e + 6);
    if (score > bestScore) {
      bestScore = score;
      best = e;
    }
  }
  const std::uint32_t size = r.U32(best + 8);
  const std::uint32_t at = r.U32(best + 12);
  if (!r.Has(at, size) || size < 40) {
    result.error = "icon image outside the file";
    return result;
  }
  const std::string_view image = bytes.substr(at, size);
  if (image.size() >= 8 && image.substr(0, 8) == std::string_view("\x89PNG\r\n\x1a\n", 8)) {
    result.error = "compressed icon images are not supported";
    return result;
  }
  Reader ir(image);
  Dib dib;
  size_t colorEnd = 0;
  if (!ReadDib(ir, 0, 0, true, dib, colorEnd, result.error)) return result;
  const bool hasAlpha = ir.U16(14) == 32 && [&] {
    for (std::uint32_t px : dib.pixels)
      if (px >> 24) return true;
    return false;
  }();
  const size_t maskStride = ((static_cast<size_t>(dib.width) + 31) / 32) * 4;
  const bool hasMask = ir.Has(colorEnd, maskStride * static_cast<size_t>(dib.height));
  if (!hasAlpha && !hasMask) {
    result.error = "icon without transparency mask";
    return result;
  }
  for (std::int32_t row = 0; row < dib.height; ++row) {
    const std::int32_t y = dib.height - 1 - row;
    for (std::int32_t x = 0; x < dib.width; ++x) {
      std::uint32_t& px = dib.pixels[static_cast<size_t>(y) * dib.width + x];
      if (hasAlpha) continue;
      const std::uint8_t maskByte = ir.U8(colorEnd + maskStride * static_cast<size_t>(row) + x / 8);
      const bool transparent = (maskByte & (0x80 >> (x % 8))) != 0;
      px = transparent ? (px & 0xFFFFFFu) : (px | 0xFF000000u);
    }
  }
  result.picture = MakePicture(ButtonPicture::Kind::Icon, dib.width, dib.height, std::move(dib.pixels));
  return result;
}

namespace {
constexpr char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
}

std::string Base64Encode(std::string_view bytes) {
  std::string out;
  out.reserve((bytes.size() + 2) / 3 * 4);
  size_t i = 0;
  for (; i + 2 < bytes.size(); i += 3) {
    const std::uint32_t v = (static_cast<std::uint8_t>(bytes[i]) << 16) |
                            (static_cast<std::uint8_t>(bytes[i + 1]) << 8) | static_cast<std::uint8_t>(bytes[i + 2]);
    out += kAlphabet[(v >> 18) & 63];
    out += kAlphabet[(v >> 12) & 63];
    out += kAlphabet[(v >> 6) & 63];
    out += kAlphabet[v & 63];
  }
  if (i < bytes.size()) {
    std::uint32_t v = static_cast<std::uint8_t>(bytes[i]) << 16;
    const bool two = i + 1 < bytes.size();
    if (two) v |= static_cast<std::uint8_t>(bytes[i + 1]) << 8;
    out += kAlphabet[(v >> 18) & 63];
    out += kAlphabet[(v >> 12) & 63];
    out += two ? kAlphabet[(v >> 6) & 63] : '=';
    out += '=';
  }
  return out;
}

bool Base64Decode(std::string_view text, std::string& bytes) {
  std::array<int, 256> value{};
  value.fill(-1);
  for (int i = 0; i < 64; ++i) value[static_cast<std::uint8_t>(kAlphabet[i])] = i;
  bytes.clear();
  if (text.size() % 4 != 0) return false;
  bytes.reserve(text.size() / 4 * 3);
  for (size_t i = 0; i < text.size(); i += 4) {
    const bool last = i + 4 == text.size();
    int v[4];
    int pad = 0;
    for (int k = 0; k < 4; ++k) {
      const char c = text[i + k];
      if (c == '=' && last && k >= 2) {
        v[k] = 0;
        ++pad;
        continue;
      }
      if (pad > 0) return false;
      v[k] = value[static_cast<std::uint8_t>(c)];
      if (v[k] < 0) return false;
    }
    const std::uint32_t n = (v[0] << 18) | (v[1] << 12) | (v[2] << 6) | v[3];
    bytes += static_cast<char>((n >> 16) & 0xFF);
    if (pad < 2) bytes += static_cast<char>((n >> 8) & 0xFF);
    if (pad < 1) bytes += static_cast<char>(n & 0xFF);
  }
  return true;
}

}  // namespace kqm
