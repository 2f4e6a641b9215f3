// Draws the program's icon and writes it as an .ico file with six images: 16, 32 and 48 pixels square, each
// in 256 colours and in 32-bit colour with alpha. The picture: a blue rounded tile holding a white switch
// whose green knob is on. Usage: make_icon <output.ico>
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <fstream>
#include <iostream>
#include <string>
#include <vector>

namespace {

struct Rgba {
  double r = 0, g = 0, b = 0, a = 0;
};

// Coverage of a rounded rectangle (all in units of the icon's side) at point (x, y).
bool InRoundedRect(double x, double y, double left, double top, double right, double bottom, double radius) {
  if (x < left || x > right || y < top || y > bottom) return false;
  const double cx = std::clamp(x, left + radius, right - radius);
  const double cy = std::clamp(y, top + radius, bottom - radius);
  return (x - cx) * (x - cx) + (y - cy) * (y - cy) <= radius * radius;
}

// The colour of the picture at (x, y) in [0, 1] squared, unpremultiplied; the rim only where it has room.
Rgba Shade(double x, double y, bool rim) {
  Rgba c;
  if (InRoundedRect(x, y, 0.03, 0.03, 0.97, 0.97, 0.2)) {
    const double t = y;  // top light, bottom dark
    c = {0.24 - 0.12 * t, 0.55 - 0.2 * t, 0.88 - 0.22 * t, 1};
    if (rim && !InRoundedRect(x, y, 0.08, 0.08, 0.92, 0.92, 0.16)) c = {0.08, 0.22, 0.45, 1};
  }
  if (InRoundedRect(x, y, 0.14, 0.33, 0.86, 0.67, 0.17)) c = {1, 1, 1, 1};   // the switch
  const double kx = x - 0.67, ky = y - 0.5;
  if (kx * kx + ky * ky <= 0.13 * 0.13) c = {0.13, 0.66, 0.22, 1};          // its knob, on
  return c;
}

// The picture at `size` pixels, 4 by 4 samples per pixel.
std::vector<Rgba> Render(int size) {
  std::vector<Rgba> px(size * size);
  constexpr int kSub = 4;
  for (int y = 0; y < size; ++y)
    for (int x = 0; x < size; ++x) {
      Rgba sum;
      for (int sy = 0; sy < kSub; ++sy)
        for (int sx = 0; sx < kSub; ++sx) {
          const Rgba s = Shade((x + (sx + 0.5) / kSub) / size, (y + (sy + 0.5) / kSub) / size, size >= 32);
          sum.r += s.r * s.a, sum.g += s.g * s.a, sum.b += s.b * s.a, sum.a += s.a;
        }
      Rgba& p = px[y * size + x];
      p.a = sum.a / (kSub * kSub);
      if (sum.a > 0) p.r = sum.r / sum.a, p.g = sum.g / sum.a, p.b = sum.b / sum.a;
    }
  return px;
}

uint8_t Byte(double v) { return static_cast<uint8_t>(std::lround(std::clamp(v, 0.0, 1.0) * 255)); }

void Put16(std::string& out, uint16_t v) { out += static_cast<char>(v & 0xFF), out += static_cast<char>(v >> 8); }
void Put32(std::string& out, uint32_t v) {
  for (int i = 0; i < 4; ++i) out += static_cast<char>((v >> (8 * i)) & 0xFF);
}

// The 256-colour palette: the 216 colours the pictures use most (to 5 bits a channel) and 40 greys.
std::vector<uint32_t> Palette() {
  std::vector<std::pair<int, uint32_t>> counts(1 << 15);
  for (uint32_t i = 0; i < counts.size(); ++i) counts[i].second = i;
  for (int size : {16, 32, 48})
    for (const Rgba& p : Render(size))
      if (p.a >= 0.5) ++counts[(Byte(p.r) >> 3) << 10 | (Byte(p.g) >> 3) << 5 | (Byte(p.b) >> 3)].first;
  std::sort(counts.begin(), counts.end(), [](const auto& a, const auto& b) { return a.first > b.first; });
  std::vector<uint32_t> pal;
  auto widen = [](uint32_t v) { return (v << 3) | (v >> 2); };
  for (int i = 0; i < 216; ++i) {
    const uint32_t c = counts[i].second;
    pal.push_back(widen(c >> 10 & 31) << 16 | widen(c >> 5 & 31) << 8 | widen(c & 31));
  }
  for (int i = 0; i < 40; ++i) {
    const uint32_t v = static_cast<uint32_t>(i * 255 / 39);
    pal.push_back(v << 16 | v << 8 | v);
  }
  return pal;
}

int Nearest(const std::vector<uint32_t>& pal, uint8_t r, uint8_t g, uint8_t b) {
  int best = 0;
  long bestDistance = 1L << 40;
  for (size_t i = 0; i < pal.size(); ++i) {
    const long dr = static_cast<long>(pal[i] >> 16 & 0xFF) - r, dg = static_cast<long>(pal[i] >> 8 & 0xFF) - g,
               db = static_cast<long>(pal[i] & 0xFF) - b;
    const long d = dr * dr * 3 + dg * dg * 4 + db * db * 2;
    if (d < bestDistance) bestDistance = d, best = static_cast<int>(i);
  }
  return best;
}

// One image as an icon resource: BITMAPINFOHEADER, palette, colour rows bottom-up, then the AND mask.
std::string Image(int size, int bits) {
  const std::vector<Rgba> px = Render(size);
  const std::vector<uint32_t> pal = Palette();
  std::string out;
  Put32(out, 40);
  Put32(out, size);
  Put32(out, size * 2);
  Put16(out, 1);
  Put16(out, static_cast<uint16_t>(bits));
  for (int i = 0; i < 6; ++i) Put32(out, 0);
  if (bits == 8)
    for (uint32_t c : pal) Put32(out, c);
  const int stride = (size * bits / 8 + 3) & ~3;
  for (int y = size - 1; y >= 0; --y) {
    std::string row;
    for (int x = 0; x < size; ++x) {
      const Rgba& p = px[y * size + x];
      if (bits == 32) {
        row += static_cast<char>(Byte(p.b)), row += static_cast<char>(Byte(p.g)), row += static_cast<char>(Byte(p.r));
        row += static_cast<char>(Byte(p.a));
      } else {
        row += static_cast<char>(p.a >= 0.5 ? Nearest(pal, Byte(p.r), Byte(p.g), Byte(p.b)) : 0);
      }
    }
    row.resize(stride, '\0');
    out += row;
  }
  const int maskStride = ((size + 31) / 32) * 4;
  for (int y = size - 1; y >= 0; --y) {
    std::string row(maskStride, '\0');
    for (int x = 0; x < size; ++x)
      if (px[y * size + x].a < 0.5) row[x / 8] = static_cast<char>(row[x / 8] | (0x80 >> (x % 8)));
    out += row;
  }
  return out;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::cerr << "usage: make_icon <output.ico>\n";
    return 2;
  }
  struct Entry {
    int size, bits;
    std::string data;
  };
  std::vector<Entry> entries;
  for (int bits : {8, 32})
    for (int size : {16, 32, 48}) entries.push_back({size, bits, Image(size, bits)});
  std::string file;
  Put16(file, 0);
  Put16(file, 1);
  Put16(file, static_cast<uint16_t>(entries.size()));
  uint32_t offset = 6 + 16 * static_cast<uint32_t>(entries.size());
  for (const Entry& e : entries) {
    file += static_cast<char>(e.size), file += static_cast<char>(e.size);
    file += '\0', file += '\0';  // 256 colours and more count as 0; reserved
    Put16(file, 1);
    Put16(file, static_cast<uint16_t>(e.bits));
    Put32(file, static_cast<uint32_t>(e.data.size()));
    Put32(file, offset);
    offset += static_cast<uint32_t>(e.data.size());
  }
  for (const Entry& e : entries) file += e.data;
  std::ofstream(argv[1], std::ios::binary) << file;
  return 0;
}
