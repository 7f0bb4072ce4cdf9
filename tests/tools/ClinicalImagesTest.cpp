// The bitmap resources: the catalogue of ids, sizes and formats, the rainbow colour table,
// what the pixels show, and that the generator rebuilds the committed files exactly.
#include <QImage>
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <set>
#include <string>
#include <vector>

#include <unistd.h>

namespace {

namespace fs = std::filesystem;

struct Entry {
  int id, width, height, bits;
};

// Every bitmap of the program.
const std::vector<Entry> kCatalogue = {
    {128, 128, 15, 4},  {136, 250, 229, 8}, {138, 250, 229, 8}, {139, 250, 229, 8}, {140, 250, 229, 8},
    {141, 250, 229, 8}, {142, 250, 229, 8}, {143, 250, 229, 8}, {144, 250, 229, 8}, {145, 250, 229, 8},
    {146, 250, 229, 8}, {147, 250, 229, 8}, {148, 250, 229, 8}, {157, 170, 170, 8}, {162, 224, 218, 8},
    {165, 170, 170, 8}, {166, 73, 88, 8},   {167, 170, 170, 8}, {168, 74, 87, 8},   {169, 170, 170, 8},
    {170, 74, 88, 8},   {171, 170, 170, 8}, {172, 73, 87, 8},   {173, 170, 170, 8}, {174, 74, 89, 8},
    {175, 170, 170, 8}, {176, 74, 89, 8},   {177, 170, 170, 8}, {178, 73, 88, 8},
};
const std::vector<int> kSeries = {136, 138, 139, 140, 141, 142, 143, 144, 145, 146, 147, 148};
const std::vector<int> kSmoothed = {165, 167, 169, 171, 173, 175, 177};  // cut-off 0.10 .. 0.22
const std::vector<int> kSlices = {166, 168, 170, 172, 174, 176, 178};

std::vector<std::uint8_t> readFile(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::uint32_t u32(const std::vector<std::uint8_t>& b, std::size_t at) {
  return b[at] | (b[at + 1] << 8) | (b[at + 2] << 16) | (static_cast<std::uint32_t>(b[at + 3]) << 24);
}
std::uint16_t u16(const std::vector<std::uint8_t>& b, std::size_t at) {
  return static_cast<std::uint16_t>(b[at] | (b[at + 1] << 8));
}

struct Rgb {
  int r, g, b;
  bool operator==(const Rgb&) const = default;
};

// A parsed bitmap file: header fields, colour table and pixel indices, top row first.
struct Bmp {
  std::vector<std::uint8_t> bytes;
  int width = 0, height = 0, bits = 0;
  std::vector<Rgb> table;
  std::vector<int> pixels;
  int at(int x, int y) const { return pixels[static_cast<std::size_t>(y * width + x)]; }
  Rgb colour(int x, int y) const { return table[static_cast<std::size_t>(at(x, y))]; }
};

Bmp load(int id) {
  Bmp m;
  m.bytes = readFile(fs::path(LUMO_SOURCE_DIR) / "res/bitmaps" / (std::to_string(id) + ".bmp"));
  if (m.bytes.size() < 54) return m;
  m.width = static_cast<int>(u32(m.bytes, 18));
  m.height = static_cast<int>(u32(m.bytes, 22));
  m.bits = u16(m.bytes, 28);
  const int colours = 1 << m.bits;
  for (int i = 0; i < colours; ++i) {
    const std::size_t q = 54 + 4 * static_cast<std::size_t>(i);
    m.table.push_back({m.bytes[q + 2], m.bytes[q + 1], m.bytes[q]});
  }
  const std::size_t stride = ((static_cast<std::size_t>(m.width) * m.bits + 31) / 32) * 4;
  const std::size_t offset = u32(m.bytes, 10);
  m.pixels.resize(static_cast<std::size_t>(m.width) * m.height);
  for (int y = 0; y < m.height; ++y)
    for (int x = 0; x < m.width; ++x) {
      const std::size_t row = offset + stride * static_cast<std::size_t>(m.height - 1 - y);
      const int v = m.bits == 8 ? m.bytes[row + x] : (x % 2 == 0 ? m.bytes[row + x / 2] >> 4 : m.bytes[row + x / 2] & 15);
      m.pixels[static_cast<std::size_t>(y * m.width + x)] = v;
    }
  return m;
}

bool isSeries(int id) { return id >= 136 && id <= 148; }

TEST(ClinicalImages, CatalogueHeadersAreUncompressedDibsOfTheStatedSizes) {
  for (const Entry& e : kCatalogue) {
    SCOPED_TRACE("bitmap " + std::to_string(e.id));
    const Bmp m = load(e.id);
    ASSERT_GE(m.bytes.size(), 54u);
    const std::uint32_t colours = 1u << e.bits;
    const std::uint32_t stride = ((static_cast<std::uint32_t>(e.width) * e.bits + 31) / 32) * 4;
    EXPECT_EQ(m.bytes[0], 'B');
    EXPECT_EQ(m.bytes[1], 'M');
    EXPECT_EQ(u32(m.bytes, 2), m.bytes.size());             // file size
    EXPECT_EQ(u32(m.bytes, 10), 14 + 40 + 4 * colours);     // pixels right after the table
    EXPECT_EQ(u32(m.bytes, 14), 40u);                       // BITMAPINFOHEADER
    EXPECT_EQ(m.width, e.width);
    EXPECT_EQ(m.height, e.height);                          // positive: bottom-up rows
    EXPECT_EQ(u16(m.bytes, 26), 1);                         // planes
    EXPECT_EQ(m.bits, e.bits);
    EXPECT_EQ(u32(m.bytes, 30), 0u);                        // no compression
    EXPECT_EQ(u32(m.bytes, 34), stride * e.height);         // image size
    EXPECT_EQ(u32(m.bytes, 38), 0u);                        // no resolution
    EXPECT_EQ(u32(m.bytes, 42), 0u);
    EXPECT_TRUE(u32(m.bytes, 46) == 0 || u32(m.bytes, 46) == colours);
    EXPECT_EQ(m.bytes.size(), 14 + 40 + 4 * colours + stride * e.height);
  }
  // Nothing else lies in the folder.
  std::set<std::string> expected, found;
  for (const Entry& e : kCatalogue) expected.insert(std::to_string(e.id) + ".bmp");
  for (const auto& f : fs::directory_iterator(fs::path(LUMO_SOURCE_DIR) / "res/bitmaps"))
    found.insert(f.path().filename().string());
  EXPECT_EQ(found, expected);
}

TEST(ClinicalImages, RainbowColourTable) {
  const std::vector<std::pair<int, Rgb>> named = {
      {0, {255, 255, 255}}, {1, {0, 0, 0}},     {5, {0, 255, 0}},     {18, {254, 254, 254}},
      {64, {255, 69, 0}},   {73, {0, 0, 128}},  {75, {0, 0, 139}},    {127, {0, 0, 128}},
      {142, {0, 0, 251}},   {173, {0, 247, 8}}, {174, {0, 255, 0}},   {189, {0, 128, 0}},
      {205, {126, 128, 0}}, {221, {251, 255, 0}}, {254, {255, 4, 0}}, {255, {255, 255, 255}},
  };
  for (const Entry& e : kCatalogue) {
    if (e.bits != 8) continue;
    SCOPED_TRACE("bitmap " + std::to_string(e.id));
    const Bmp m = load(e.id);
    ASSERT_EQ(m.table.size(), 256u);
    for (const auto& [index, rgb] : named) EXPECT_EQ(m.table[static_cast<std::size_t>(index)], rgb) << "entry " << index;
    // The scale changes smoothly: no channel moves by more than 9 levels per entry, and
    // the blue, green and red phases follow each other.
    for (int i = 128; i <= 254; ++i) {
      const Rgb a = m.table[static_cast<std::size_t>(i - 1)], b = m.table[static_cast<std::size_t>(i)];
      EXPECT_LE(std::abs(a.r - b.r), 9) << i;
      EXPECT_LE(std::abs(a.g - b.g), 9) << i;
      EXPECT_LE(std::abs(a.b - b.b), 9) << i;
    }
    for (int i = 128; i <= 142; ++i) EXPECT_GT(m.table[static_cast<std::size_t>(i)].b, m.table[static_cast<std::size_t>(i - 1)].b);
    for (int i = 190; i <= 205; ++i) EXPECT_EQ(m.table[static_cast<std::size_t>(i)].g, 128);
    for (int i = 222; i <= 254; ++i) EXPECT_LT(m.table[static_cast<std::size_t>(i)].g, m.table[static_cast<std::size_t>(i - 1)].g);
    // The block 112..126.
    const Rgb black{0, 0, 0};
    EXPECT_EQ(m.table[126], black);
    if (isSeries(e.id)) {
      for (int i = 112; i <= 126; ++i) EXPECT_EQ(m.table[static_cast<std::size_t>(i)], black) << i;
    } else {
      EXPECT_EQ(m.table[122], (Rgb{0, 211, 0}));
      std::set<std::tuple<int, int, int>> extra;
      for (int i = 112; i <= 125; ++i) {
        const Rgb c = m.table[static_cast<std::size_t>(i)];
        EXPECT_NE(c, black) << i;
        extra.insert({c.r, c.g, c.b});
      }
      EXPECT_EQ(extra.size(), 14u);
      EXPECT_TRUE(extra.count({203, 203, 203}));
      EXPECT_TRUE(extra.count({216, 216, 216}));
    }
  }
}

TEST(ClinicalImages, PixelsUseTheCountScaleOnANavyBackground) {
  int seriesHottest = 0;
  for (const Entry& e : kCatalogue) {
    if (e.bits != 8) continue;
    SCOPED_TRACE("bitmap " + std::to_string(e.id));
    const Bmp m = load(e.id);
    std::map<int, int> used;
    for (int v : m.pixels) ++used[v];
    for (const auto& [index, n] : used) {
      const bool label = isSeries(e.id) && index == 18;
      EXPECT_TRUE(index == 73 || (index >= 127 && index <= 254) || label) << "index " << index << " x" << n;
    }
    // Empty corners, a head in the middle of the part the screens show.
    EXPECT_EQ(m.at(0, 0), 73);
    EXPECT_EQ(m.at(m.width - 1, 0), 73);
    EXPECT_EQ(m.at(0, m.height - 1), 73);
    EXPECT_EQ(m.at(m.width - 1, m.height - 1), 73);
    EXPECT_GT(used[73], 0);
    int counts = 0, hottest = 0;
    for (int v : m.pixels) {
      counts += v >= 127 && v <= 254;
      if (v != 18) hottest = std::max(hottest, v);
    }
    EXPECT_GT(counts, static_cast<int>(m.pixels.size()) / 5);
    // Each image's maximum shows at the hot end of the scale; the projection series shares
    // one scale, so its maximum is reached in one of them.
    if (isSeries(e.id)) seriesHottest = std::max(seriesHottest, hottest);
    else EXPECT_EQ(hottest, 254);
  }
  EXPECT_EQ(seriesHottest, 254);
  // Centres of the shown source rectangles hold counts.
  EXPECT_GE(load(157).at(75, 60), 127);
  EXPECT_GE(load(162).at(110, 110 - 60), 127);  // the cortex in front
  for (int id : kSeries) EXPECT_GE(load(id).at(114, 90), 127) << id;
  for (int id : kSlices) EXPECT_GE(load(id).at(35, 44 - 28), 127) << id;  // the frontal cortex, a matrix pixel inside the scalp
}

TEST(ClinicalImages, ProjectionSeriesCarriesItsCornerLabels) {
  const std::map<int, std::string> labels = {{136, "A"},  {138, "A"},  {139, "A1"}, {140, "A1"},
                                             {141, "A2"}, {142, "A2"}, {143, "A3"}, {144, "A3"},
                                             {145, "A4"}, {146, "A4"}, {147, "A5"}, {148, "A5"}};
  // The label pixels of each image, as a picture of the box columns 238..248, rows 2..10.
  auto labelBox = [](const Bmp& m) {
    std::string box;
    for (int y = 2; y <= 10; ++y)
      for (int x = 238; x <= 248; ++x) box += m.at(x, y) == 18 ? '#' : '.';
    return box;
  };
  std::map<std::string, std::string> boxOf;
  for (const auto& [id, text] : labels) {
    SCOPED_TRACE("bitmap " + std::to_string(id));
    const Bmp m = load(id);
    int inside = 0, outside = 0;
    for (int y = 0; y < m.height; ++y)
      for (int x = 0; x < m.width; ++x)
        if (m.at(x, y) == 18) ++(x >= 238 && x <= 248 && y >= 2 && y <= 10 ? inside : outside);
    EXPECT_GT(inside, 10);
    EXPECT_EQ(outside, 0);
    // The label lies on background, and only in the label columns, not over the image.
    for (int y = 0; y < m.height; ++y)
      for (int x = 229; x < m.width; ++x) EXPECT_TRUE(m.at(x, y) == 73 || m.at(x, y) == 18) << x << "," << y;
    // A single letter leaves the digit half of the box empty.
    const std::string box = labelBox(m);
    bool digit = false;
    for (int r = 0; r < 9; ++r)
      for (int c = 6; c < 11; ++c) digit |= box[static_cast<std::size_t>(r * 11 + c)] == '#';
    EXPECT_EQ(digit, text.size() == 2);
    // Images with the same label carry the same pixels there; different labels differ.
    if (boxOf.count(text)) {
      EXPECT_EQ(boxOf[text], box);
    }
    for (const auto& [other, otherBox] : boxOf) {
      if (other != text) {
        EXPECT_NE(otherBox, box) << other;
      }
    }
    boxOf[text] = box;
  }
  EXPECT_EQ(boxOf.size(), 6u);
  // The letter A is the same in every label.
  for (const auto& [text, box] : boxOf) {
    for (int r = 0; r < 9; ++r) EXPECT_EQ(box.substr(static_cast<std::size_t>(r * 11), 5), boxOf["A"].substr(static_cast<std::size_t>(r * 11), 5));
  }
}

// Mean absolute second difference of colour indices along rows inside the head (pixels
// `step` apart): how grainy an image is, with smooth shading and edges mostly cancelled.
double roughness(const Bmp& m, int x0, int y0, int w, int h, int step) {
  double sum = 0;
  int n = 0;
  for (int y = y0; y < y0 + h; ++y)
    for (int x = x0; x + 2 * step < x0 + w; ++x) {
      const int a = m.at(x, y), b = m.at(x + step, y), c = m.at(x + 2 * step, y);
      if (a < 127 || b < 127 || c < 127) continue;
      sum += std::abs(a - 2 * b + c);
      ++n;
    }
  return n ? sum / n : 0;
}

TEST(ClinicalImages, SmoothingSeriesGoesFromBlurredToNoisy) {
  // Projections: 0.10 smoothest, each higher cut-off grainier, the raw view grainiest.
  std::vector<double> r;
  for (int id : kSmoothed) r.push_back(roughness(load(id), 10, 10, 130, 110, 2));
  for (std::size_t i = 1; i < r.size(); ++i) EXPECT_GT(r[i], r[i - 1]) << kSmoothed[i];
  EXPECT_GT(r.back(), 1.5 * r.front());
  EXPECT_GT(roughness(load(157), 10, 10, 130, 110, 2), r.back());
  // Slices likewise, and the slice from unsmoothed projections grainier than all of them,
  // compared over about the same span of the reconstruction matrix (a matrix pixel is
  // 1.24 bitmap pixels in the small slices and 3.44 in 162).
  std::vector<double> s;
  for (int id : kSlices) s.push_back(roughness(load(id), 5, 10, 60, 68, 2));
  for (std::size_t i = 1; i < s.size(); ++i) EXPECT_GT(s[i], s[i - 1]) << kSlices[i];
  EXPECT_GT(s.back(), 2 * s.front());
  EXPECT_GT(roughness(load(162), 30, 30, 160, 160, 6), s.back());
}

TEST(ClinicalImages, ToolbarStripHasEightButtonsInTheStandardColours) {
  const Bmp m = load(128);
  ASSERT_EQ(m.table.size(), 16u);
  const std::array<Rgb, 16> standard = {{{0, 0, 0}, {128, 0, 0}, {0, 128, 0}, {128, 128, 0}, {0, 0, 128}, {128, 0, 128},
                                         {0, 128, 128}, {192, 192, 192}, {128, 128, 128}, {255, 0, 0}, {0, 255, 0},
                                         {255, 255, 0}, {0, 0, 255}, {255, 0, 255}, {0, 255, 255}, {255, 255, 255}}};
  for (std::size_t i = 0; i < 16; ++i) EXPECT_EQ(m.table[i], standard[i]) << i;
  std::set<std::vector<int>> buttons;
  for (int b = 0; b < 8; ++b) {
    std::vector<int> pixels;
    int drawn = 0;
    for (int y = 0; y < 15; ++y)
      for (int x = 0; x < 16; ++x) {
        pixels.push_back(m.at(b * 16 + x, y));
        drawn += m.at(b * 16 + x, y) != 7;  // anything but the silver face
      }
    EXPECT_GT(drawn, 20) << "button " << b;
    buttons.insert(pixels);
  }
  EXPECT_EQ(buttons.size(), 8u);
}

TEST(ClinicalImages, LoadAsQtResources) {
  for (const Entry& e : kCatalogue) {
    const QImage img(QString(":/bitmaps/%1.bmp").arg(e.id));
    ASSERT_FALSE(img.isNull()) << e.id;
    EXPECT_EQ(img.width(), e.width) << e.id;
    EXPECT_EQ(img.height(), e.height) << e.id;
  }
  const QImage slice(":/bitmaps/162.bmp");
  EXPECT_EQ(slice.pixel(0, 0), qRgb(0, 0, 128));
}

TEST(ClinicalImages, GeneratorRebuildsTheCommittedFilesExactly) {
  const fs::path out = fs::temp_directory_path() / ("lumo-images-" + std::to_string(::getpid()));
  fs::remove_all(out);
  const std::string cmd = std::string("\"") + LUMO_BINARY_DIR + "/lumo_imagegen\" \"" + out.string() + "\" > /dev/null";
  ASSERT_EQ(std::system(cmd.c_str()), 0);
  std::set<std::string> names;
  for (const auto& f : fs::directory_iterator(out)) names.insert(f.path().filename().string());
  EXPECT_EQ(names.size(), kCatalogue.size());
  for (const Entry& e : kCatalogue) {
    const std::string name = std::to_string(e.id) + ".bmp";
    EXPECT_EQ(readFile(out / name), readFile(fs::path(LUMO_SOURCE_DIR) / "res/bitmaps" / name)) << name;
  }
  fs::remove_all(out);
}

}  // namespace
