#include "update/run/dialog_layout.h"

#include <vector>

#include <gtest/gtest.h>

namespace quillet {
namespace {

constexpr TextAlign L = TextAlign::kLeft, C = TextAlign::kCentre, R = TextAlign::kRight;

struct Row {
  const char* what;
  int width, height;                   // the dialog before
  std::vector<LayoutControl> controls;  // boxes before, needs
  int fittedWidth, fittedHeight;
  std::vector<LayoutBox> fitted;
};

// Margin 10, centred within 3 pixels.
const Row kRows[] = {
    {"texts that fit move nothing, a cover included",
     200, 100,
     {{{0, 0, 200, 100}, L, 0, 0}, {{10, 10, 120, 30}, L, 110, 20}, {{75, 70, 125, 90}, C, 40, 18}},
     200, 100,
     {{0, 0, 200, 100}, {10, 10, 120, 30}, {75, 70, 125, 90}}},
    {"a centred column of radio buttons grows on both sides to its widest text",
     300, 100,
     {{{100, 40, 200, 50}, L, 150, 10}, {{100, 55, 200, 65}, L, 170, 10}},
     300, 100,
     {{65, 40, 235, 50}, {65, 55, 235, 65}}},
    {"a button near the right edge grows to the left, pushing what lies wholly to its left",
     300, 100,
     {{{150, 40, 290, 60}, L, 0, 0}, {{150, 70, 210, 90}, C, 0, 0},
      {{220, 70, 290, 90}, C, 100, 20}},
     300, 100,
     {{150, 40, 290, 60}, {120, 70, 180, 90}, {190, 70, 290, 90}}},
    {"a line wider than the dialog widens it; the centred button stays centred, the cover covers",
     200, 100,
     {{{0, 0, 200, 100}, L, 0, 0}, {{10, 10, 150, 30}, L, 220, 20}, {{75, 70, 125, 90}, C, 20, 18}},
     240, 100,
     {{0, 0, 240, 100}, {10, 10, 230, 30}, {95, 70, 145, 90}}},
    {"a taller text moves the rows below down and the dialog grows by what its margin lacks",
     200, 100,
     {{{10, 10, 190, 40}, L, 150, 50}, {{10, 50, 190, 60}, L, 0, 0}, {{75, 75, 125, 95}, C, 0, 0}},
     200, 120,
     {{10, 10, 190, 60}, {10, 70, 190, 80}, {75, 95, 125, 115}}},
};

TEST(DialogLayout, GrowsOnlyWhereATextDoesNotFitKeepingOrderAndAlignment) {
  for (const Row& row : kRows) {
    DialogLayout layout;
    layout.width = row.width;
    layout.height = row.height;
    layout.margin = 10;
    layout.centreSlack = 3;
    layout.controls = row.controls;
    const DialogLayout once = fitTexts(layout);
    for (const DialogLayout& fitted : {once, fitTexts(once)}) {  // fitting again changes nothing
      EXPECT_EQ(fitted.width, row.fittedWidth) << row.what;
      EXPECT_EQ(fitted.height, row.fittedHeight) << row.what;
      ASSERT_EQ(fitted.controls.size(), row.fitted.size()) << row.what;
      for (std::size_t i = 0; i < row.fitted.size(); ++i) {
        const LayoutBox& got = fitted.controls[i].box;
        EXPECT_TRUE(got == row.fitted[i]) << row.what << ", control " << i << ": " << got.left
                                          << "," << got.top << "," << got.right << ","
                                          << got.bottom;
      }
    }
  }
}

}  // namespace
}  // namespace quillet
