// The reader on damaged copies of valid files: truncated, bytes flipped, lengths made huge, bytes
// inserted. A fixed seed and a few hundred cases; each must end in a message or in projections
// whose sizes agree, never in a crash, a hang or a huge allocation (run it under the sanitizers).
// The base files carry fresh UIDs, so the damaged bytes differ a little from run to run.
#include "DicomTestFiles.h"

#include <gtest/gtest.h>

#include <random>

namespace lumo {
namespace {

using test::scratch;

void expectSound(const io::ReadResult& r) {
  if (r.projections) {
    const io::Projections& p = *r.projections;
    EXPECT_TRUE(r.error.empty());
    EXPECT_GE(p.stack.geometry.views, 4);
    EXPECT_TRUE(p.stack.consistent());
    tomo::Sinogram s = io::sinogramOfRow(p, io::centreRow(p));
    EXPECT_EQ(s.counts.size(), s.geometry.size());
  } else {
    EXPECT_FALSE(r.error.empty());
  }
}

// Offsets of the 16- and 32-bit length fields of a little-endian file's elements, items and
// delimiters, walking into sequences (the meta group is explicit VR; the dataset as `implicit` says).
std::vector<std::pair<std::size_t, int>> lengthFields(const std::string& bytes, bool implicit) {
  std::vector<std::pair<std::size_t, int>> out;
  auto u16 = [&](std::size_t i) { return unsigned(std::uint8_t(bytes[i])) | unsigned(std::uint8_t(bytes[i + 1])) << 8; };
  auto u32 = [&](std::size_t i) { return std::size_t(u16(i)) | std::size_t(u16(i + 2)) << 16; };
  std::size_t at = 132;
  while (at + 8 <= bytes.size()) {
    unsigned group = u16(at);
    std::string vr = bytes.substr(at + 4, 2);
    if (group == 0xfffe) {  // item or delimiter: tag and a 32-bit length, contents follow
      out.push_back({at + 4, 4});
      at += 8;
      continue;
    }
    if (implicit && group != 0x0002) {
      out.push_back({at + 4, 4});
      std::size_t length = u32(at + 4);
      at += 8;
      if (length != 0xffffffff && bytes.substr(at, 2) != std::string("\xfe\xff", 2)) at += length;
      continue;
    }
    bool longForm = vr == "OB" || vr == "OW" || vr == "OF" || vr == "SQ" || vr == "UT" || vr == "UN" || vr == "OD" ||
                    vr == "OL" || vr == "UC" || vr == "UR" || vr == "OV" || vr == "SV" || vr == "UV";
    if (longForm) {
      if (at + 12 > bytes.size()) break;
      out.push_back({at + 8, 4});
      std::size_t length = u32(at + 8);
      at += 12;
      if (vr != "SQ" && length != 0xffffffff) at += length;
    } else {
      out.push_back({at + 6, 2});
      at += 8 + u16(at + 6);
    }
  }
  return out;
}

std::string mutate(const std::string& base, std::mt19937& random, const std::vector<std::pair<std::size_t, int>>& fields) {
  std::string bytes = base;
  auto pick = [&](std::size_t n) { return std::uniform_int_distribution<std::size_t>(0, n - 1)(random); };
  switch (pick(4)) {
    case 0:  // cut anywhere
      bytes.resize(pick(bytes.size()));
      break;
    case 1:  // flip a few bytes
      for (std::size_t i = 0, n = 1 + pick(8); i < n; ++i) bytes[pick(bytes.size())] ^= char(1 + pick(255));
      break;
    case 2: {  // a length field made huge, or just past the end
      auto [offset, width] = fields[pick(fields.size())];
      const std::uint32_t lengths[] = {0xffffffffu, 0xfffffff0u, 0x7fffffffu, 0x80000000u,
                                       std::uint32_t(bytes.size() * 2), std::uint32_t(bytes.size() - offset + 2),
                                       std::uint32_t(random())};
      std::uint32_t length = lengths[pick(std::size(lengths))];
      for (int i = 0; i < width; ++i) bytes[offset + i] = char((length >> (8 * i)) & 0xff);
      break;
    }
    default:  // a run of random bytes inserted
      bytes.insert(pick(bytes.size()), std::string(1 + pick(64), char(pick(256))));
      break;
  }
  return bytes;
}

TEST(DicomFuzz, DamagedFilesEndInAMessageOrSoundProjections) {
  // Two valid files: explicit VR with the full geometry, and implicit VR with two detectors.
  std::string explicitFile = scratch("fuzz-base.dcm").string();
  ASSERT_EQ(io::writeSinogram(explicitFile, test::blobSinogram(16, 64, true), {"LUMO fuzz", "", ""}), "");
  std::string implicitFile = scratch("fuzz-base-implicit.dcm").string();
  ASSERT_TRUE(test::editFile(explicitFile, implicitFile, [](DcmDataset& ds) {
    std::vector<Uint16> detector(16), view(16);
    for (int f = 0; f < 16; ++f) detector[f] = Uint16(1 + f % 2), view[f] = Uint16(1 + f / 2);
    ds.putAndInsertUint16Array(DCM_DetectorVector, detector.data(), 16);
    ds.putAndInsertUint16Array(DCM_AngularViewVector, view.data(), 16);
    ds.putAndInsertUint16(DCM_NumberOfDetectors, 2);
    DcmItem* rotation = nullptr;
    ds.findOrCreateSequenceItem(DCM_RotationInformationSequence, rotation, 0);
    rotation->putAndInsertUint16(DCM_NumberOfFramesInRotation, 8);
  }, EXS_LittleEndianImplicit));
  ASSERT_EQ(io::readProjections(implicitFile).error, "");

  std::mt19937 random(16);
  int read = 0, refused = 0;
  for (const std::string& base : {explicitFile, implicitFile}) {
    const std::string bytes = test::readAll(base);
    const auto fields = lengthFields(bytes, base == implicitFile);
    ASSERT_GT(fields.size(), 60u);
    for (int i = 0; i < 200; ++i) {
      std::string path = scratch("fuzz.dcm").string();
      std::string damaged = mutate(bytes, random, fields);
      test::writeAll(path, damaged);
      SCOPED_TRACE(testing::Message() << base << " case " << i);
      io::ReadResult r = io::readProjections(path);
      expectSound(r);
      (r.projections ? read : refused)++;
    }
  }
  std::cout << read << " damaged files read, " << refused << " refused with a message\n";
  EXPECT_GT(refused, 100);
}

}  // namespace
}  // namespace lumo
