// UCS-2 / UCS-4 conversions.
#include "alloc_counter.hpp"
#include "xstring.h"
#include "xcore.h"

#include <cstring>
#include <vector>

namespace {

class Ucs : public tarvo::test::LeakCheckedTest {};

TEST(UcsSwap, SwapsBytes) {
  unsigned char b[] = {0x00, 0x41, 0x4E, 0x2D, 0x7F};
  xCore_UCS2_BE2LE(b, 5);
  EXPECT_EQ(b[0], 0x41);
  EXPECT_EQ(b[1], 0x00);
  EXPECT_EQ(b[2], 0x2D);
  EXPECT_EQ(b[4], 0x7F) << "an odd last byte stays";
  EXPECT_EQ(xCore_UCS4_BE2LE(0x11223344u), 0x44332211u);
}

std::vector<uint16_t> ucs4_to_ucs2(std::vector<uint32_t> units, uint32_t cp) {
  uint32_t bytes = xCore_UCS4_To_UCS2(units.data(), static_cast<uint32_t>(units.size() * 4), cp);
  std::vector<uint16_t> out(bytes / 2);
  std::memcpy(out.data(), units.data(), bytes);
  return out;
}

TEST(UcsNarrow, AstralCodePointsBecomeSurrogatePairs) {
  EXPECT_EQ(ucs4_to_ucs2({0x41, 0x1F600, 0x4E2D}, 1200), (std::vector<uint16_t>{0x41, 0xD83D, 0xDE00, 0x4E2D}));
  EXPECT_EQ(ucs4_to_ucs2({0xF0000, 0x10FFFF}, 1200), (std::vector<uint16_t>{0xDB80, 0xDC00, 0xDBFF, 0xDFFF}))
      << "the supplementary private-use planes are kept";
  EXPECT_EQ(ucs4_to_ucs2({0x41, 0x110000, 0x42}, 1200), (std::vector<uint16_t>{0x41, 0xFFFD, 0x42}));
  EXPECT_EQ(ucs4_to_ucs2({0x41, 0, 0x42}, 1200), (std::vector<uint16_t>{0x41})) << "a zero unit ends the text";
  EXPECT_EQ(ucs4_to_ucs2({0x41000000, 0x00F60100}, 65006), (std::vector<uint16_t>{0x41, 0xD83D, 0xDE00}));
}

TEST_F(Ucs, WidenPairsAndReplacesLoneSurrogates) {
  const uint16_t text[] = {0x41, 0xD83D, 0xDE00, 0x42};
  uint32_t *u = xCore_UCS2_To_UCS4(text, sizeof text, 65005);
  EXPECT_EQ(xCore.iRetSize, 12u);
  EXPECT_EQ(u[0], 0x41u);
  EXPECT_EQ(u[1], 0x1F600u);
  EXPECT_EQ(u[2], 0x42u);
  EXPECT_EQ(u[3], 0u);
  xCore_free(u);

  const uint16_t lone[] = {0xD83D, 0x61, 0x62, 0xDE00};
  u = xCore_UCS2_To_UCS4(lone, sizeof lone, 65005);
  EXPECT_EQ(xCore.iRetSize, 16u) << "no unit after a lone surrogate is lost";
  EXPECT_EQ(u[0], 0xFFFDu);
  EXPECT_EQ(u[1], 0x61u);
  EXPECT_EQ(u[2], 0x62u);
  EXPECT_EQ(u[3], 0xFFFDu);
  xCore_free(u);

  u = xCore_UCS2_To_UCS4(text, sizeof text, 65006);
  EXPECT_EQ(u[1], 0x00F60100u) << "big-endian output";
  xCore_free(u);
}

TEST_F(Ucs, EmptyBufferGivesAnEmptyText) {
  uint32_t *u = xCore_UCS2_To_UCS4(nullptr, 0, 65005);
  EXPECT_EQ(xCore.iRetSize, 0u);
  EXPECT_EQ(u[0], 0u);
  xCore_free(u);
  EXPECT_EQ(xCore_UCS4_To_UCS2(nullptr, 8, 65005), 0u);
}

}  // namespace
