// tx_saucer rendered through the real plug-in.
#include <gtest/gtest.h>

#include "tests/shapes_plugin.h"

namespace {

TEST(SaucerTest, FirstFieldOfALongTransitionIsAlmostTheOutgoingPicture) {
  TransitionRender r("tx_saucer", 240, 96);
  TestPicture out = r.field(0, 2000, 2);
  // The rim passes through the picture's corners: the whole frame is
  // picture. The outermost rows and columns are partly background, as the
  // field offset moves the image by a quarter line.
  int worst = 0;
  for (int y = 0; y < 96; ++y)
    for (int x = 0; x < 240; ++x) {
      uint32_t got = out.at(x, y), want = r.picture.at(x, y);
      if (x == 0 || y == 0 || x == 239 || y == 95) {
        EXPECT_NE(got, BackgroundBlue) << x << ", " << y;
        continue;
      }
      for (int shift : {24, 16, 8}) {
        int difference = abs((int)(got >> shift & 255) - (int)(want >> shift & 255));
        if (difference > worst) worst = difference;
      }
    }
  EXPECT_LE(worst, 3);
}

}  // namespace
