// Bringing an element into view and capturing it: the scroll and enlarge
// loops against the stand-in's page model (page 1000 x 3000, view 800 x 600),
// including pages where they cannot succeed and must end.
#include "standin.hpp"

#include <gtest/gtest.h>

namespace tarvo::test {
namespace {

const std::string kRectRead =
    "0x4402 1 0 D1=//e D2=mx_rect = {$var}.getBoundingClientRect();xSurfpod_RetVal = mx_rect.left.toString() + ',' "
    "+ mx_rect.top.toString() + ',' + mx_rect.right.toString() + ',' + mx_rect.bottom.toString(); D3= D4=";

struct Case {
  const char *name;
  Lines setup;
  bool screenshot;
  int result;
  Lines expected;  // the commands, rectangle reads excepted
  int rect_reads;
};

const Case kCases[] = {
    {"in view: no scroll", {"element\t//e\tpos\t10,20,30,40"}, false, 1, {}, 1},
    {"above the view: scrolled to", {"element\t//e\tpos\t100,2000,30,40", "page\tscroll\t0,2500"}, false, 1,
     {"0x1611 0 0", "0x1612 0 0", "0x1610 100 2000"}, 2},
    {"left of the page: the scroll cannot move it", {"element\t//e\tpos\t-50,-80,30,40"}, false, 0,
     {"0x1611 0 0", "0x1612 0 0", "0x1610 -50 -80"}, 2},
    {"status: no scroll", {"element\t//e\tpos\t10,20,30,40", "answer\t0x4402\t5"}, false, 0, {}, 1},
    {"capture enlarging the view", {"element\t//e\tpos\t10,20,900,700"}, true, 1,
     {"0x1503 0 0", "0x1504 0 0", "0x1502 910 720", "0x1503 0 0", "0x1504 0 0", "0x3600 655380 58983100 D1=s.png",
      "WM_SIZE 0 0"},
     4},
    {"capture when the view will not grow enough", {"element\t//e\tpos\t10,20,900,700", "page\tweblimit\t850,650"},
     true, 0,
     {"0x1503 0 0", "0x1504 0 0", "0x1502 910 720", "0x1503 0 0", "0x1504 0 0", "0x1502 910 720", "0x1503 0 0",
      "0x1504 0 0", "WM_SIZE 0 0"},
     4},
    {"capture after scrolling, scrolled back", {"element\t//e\tpos\t10,100,50,50", "page\tscroll\t0,500"}, true, 1,
     {"0x1611 0 0", "0x1612 0 0", "0x1610 10 100", "0x1503 0 0", "0x1504 0 0", "0x3600 0 3276850 D1=s.png",
      "0x1610 0 500"},
     4},
};

int count(const Lines &lines, const std::string &prefix) {
  return int(std::count_if(lines.begin(), lines.end(), [&](const std::string &l) { return l.rfind(prefix, 0) == 0; }));
}

class SurfpodLoops : public SurfpodTest {};

TEST_F(SurfpodLoops, ShowAndScreenShotConvergeOrEnd) {
  SurfpodInstance *h = start();
  ASSERT_NE(h, nullptr);
  for (const Case &c : kCases) {
    for (const char *line : {"page\tscroll\t0,0", "page\twebsize\t800,600", "page\tweblimit\t4000,4000"}) control(h, line);
    for (const std::string &line : c.setup) control(h, line);
    folder_.take_journal();
    EXPECT_EQ(c.screenshot ? Surfpod_Element_ScreenShot(h, "//e", "s.png") : Surfpod_Element_Show(h, "//e"), c.result)
        << c.name;
    Lines lines = folder_.take_commands(), commands;
    for (const std::string &l : lines)
      if (l != kRectRead && l != "read D2") commands.push_back(l);
    EXPECT_EQ(commands, c.expected) << c.name;
    EXPECT_EQ(count(lines, kRectRead), c.rect_reads) << c.name;
    control(h, "clear");
  }
  // Rectangles that keep moving: the loop ends after its bound.
  for (int i = 1; i <= SURFPOD_LOOP_PASSES + 10; ++i) control(h, "element\t//e\trect\t" + std::to_string(-i) + ",-1,5,5");
  folder_.take_journal();
  EXPECT_EQ(Surfpod_Element_Show(h, "//e"), 0);
  Lines lines = folder_.take_commands();
  EXPECT_EQ(count(lines, kRectRead), SURFPOD_LOOP_PASSES);
  EXPECT_EQ(count(lines, "0x1610 "), SURFPOD_LOOP_PASSES);
  EXPECT_EQ(count(lines, "0x1611 "), 1) << "the position is read once";
}

}  // namespace
}  // namespace tarvo::test
