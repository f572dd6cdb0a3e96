// UCS-2 / UCS-4 conversions.
#include "alloc_counter.hpp"
#include "xstring.h"
#include "xcore.h"

#include <cstring>
#include <vector>

namespace {

using Units16 = std::vector<uint16_t>;
using Units32 = std::vector<uint32_t>;

TEST(UcsSwap, SwapsBytes) {
  unsigned char b[] = {0x00, 0x41, 0x4E, 0x2D, 0x7F};
  xCore_UCS2_BE2LE(b, 5);
  EXPECT_EQ(std::memcmp(b, "\x41\x00\x2D\x4E\x7F", 5), 0) << "an odd last byte stays";
  EXPECT_EQ(xCore_UCS4_BE2LE(0x11223344u), 0x44332211u);
}

Units16 narrow(Units32 units, uint32_t cp) {
  uint32_t bytes = xCore_UCS4_To_UCS2(units.data(), static_cast<uint32_t>(units.size() * 4), cp);
  Units16 out(bytes / 2);
  std::memcpy(out.data(), units.data(), bytes);
  return out;
}

TEST(UcsNarrow, PairsForAstralCodePointsReplacementForTheRest) {
  EXPECT_EQ(narrow({0x41, 0x1F600, 0x4E2D}, 1200), (Units16{0x41, 0xD83D, 0xDE00, 0x4E2D}));
  EXPECT_EQ(narrow({0xF0000, 0x10FFFF}, 1200), (Units16{0xDB80, 0xDC00, 0xDBFF, 0xDFFF}));
  EXPECT_EQ(narrow({0x41, 0x110000, 0x42}, 1200), (Units16{0x41, 0xFFFD, 0x42}));
  EXPECT_EQ(narrow({0xD83D, 0xDE00, 0xDFFF, 0x42}, 1200), (Units16{0xFFFD, 0xFFFD, 0xFFFD, 0x42}))
      << "surrogate values are no characters: passed on, two would pair into one";
  EXPECT_EQ(narrow({0x41, 0, 0x42}, 1200), (Units16{0x41})) << "a zero unit ends the text";
  EXPECT_EQ(narrow({0x41000000, 0x00F60100}, 65006), (Units16{0x41, 0xD83D, 0xDE00}));
  EXPECT_EQ(xCore_UCS4_To_UCS2(nullptr, 8, 65005), 0u);
}

class Ucs : public tarvo::test::LeakCheckedTest {
 protected:
  static Units32 widen(const Units16 &text, uint32_t cp) {
    uint32_t *u = xCore_UCS2_To_UCS4(text.data(), static_cast<uint32_t>(text.size() * 2), cp);
    Units32 r(u, u + xCore.iRetSize / 4);
    EXPECT_EQ(u[r.size()], 0u);
    xCore_free(u);
    return r;
  }
};

TEST_F(Ucs, WidenPairsAndReplacesLoneSurrogates) {
  EXPECT_EQ(widen({0x41, 0xD83D, 0xDE00, 0x42}, 65005), (Units32{0x41, 0x1F600, 0x42}));
  EXPECT_EQ(widen({0xD83D, 0x61, 0x62, 0xDE00}, 65005), (Units32{0xFFFD, 0x61, 0x62, 0xFFFD}))
      << "no unit after a lone surrogate is lost";
  EXPECT_EQ(widen({0x41, 0xD83D, 0xDE00}, 65006), (Units32{0x41000000, 0x00F60100})) << "big-endian";
  EXPECT_EQ(widen({}, 65005), Units32{});
}

}  // namespace
