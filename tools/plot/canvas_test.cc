#include "tools/plot/canvas.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <vector>

namespace tracksift::plot {
namespace {

const Frame kFrame{10, 20, 400, 300};

TEST(ProjectionTest, FitsThePointsIntoTheFrameNorthUpEastRight) {
  // About 2.2 km north-south and 1.8 km east-west near Tokyo.
  const std::vector<GeoPoint> points = {
      {35.50, 139.90}, {35.52, 139.92}, {35.51, 139.91}, {35.50, 139.92}};
  const Projection projection = Projection::Fit(points, kFrame);
  const CanvasPoint south_west = projection.ToCanvas({35.50, 139.90});
  const CanvasPoint north_east = projection.ToCanvas({35.52, 139.92});
  // The taller extent fills the frame's height exactly; the width is centred.
  EXPECT_NEAR(south_west.y, kFrame.top + kFrame.height, 1e-9);
  EXPECT_NEAR(north_east.y, kFrame.top, 1e-9);
  EXPECT_NEAR((south_west.x + north_east.x) / 2, kFrame.left + kFrame.width / 2, 1e-9);
  EXPECT_LT(south_west.x, north_east.x);
  // One scale for both axes: a degree of longitude is cos(latitude) of one
  // of latitude.
  const double east_units = north_east.x - south_west.x;
  const double north_units = south_west.y - north_east.y;
  EXPECT_NEAR(east_units / north_units, std::cos(35.51 * std::numbers::pi / 180), 1e-9);
  EXPECT_NEAR(projection.MetresPerUnit(), 0.02 * kMetresPerDegree / kFrame.height, 1e-9);
}

TEST(ProjectionTest, ATrackWiderThanTheFrameFillsItsWidth) {
  const Projection projection = Projection::Fit({{-10.0, -20.0}, {-10.1, 20.0}}, kFrame);
  EXPECT_NEAR(projection.ToCanvas({-10.0, -20.0}).x, kFrame.left, 1e-9);
  EXPECT_NEAR(projection.ToCanvas({-10.1, 20.0}).x, kFrame.left + kFrame.width, 1e-9);
}

TEST(ProjectionTest, ASinglePointOrNoneIsCentredAtTheSmallestSpan) {
  for (const std::vector<GeoPoint>& points :
       {std::vector<GeoPoint>{{48.1, 11.5}}, std::vector<GeoPoint>{{48.1, 11.5}, {48.1, 11.5}},
        std::vector<GeoPoint>{}}) {
    const Projection projection = Projection::Fit(points, kFrame);
    const GeoPoint at = points.empty() ? GeoPoint{} : points.front();
    const CanvasPoint centre = projection.ToCanvas(at);
    EXPECT_DOUBLE_EQ(centre.x, kFrame.left + kFrame.width / 2);
    EXPECT_DOUBLE_EQ(centre.y, kFrame.top + kFrame.height / 2);
    EXPECT_DOUBLE_EQ(projection.MetresPerUnit(), Projection::kMinSpan / kFrame.height);
  }
}

TEST(ChooseScaleBarTest, TakesTheLongestRoundLengthThatFits) {
  struct Case {
    double metres_per_unit, max_length;
    double metres;
    const char* label;
  };
  const std::vector<Case> cases = {
      {1.0, 200, 200, "200 m"},    {1.0, 199, 100, "100 m"},  {3.0, 200, 500, "500 m"},
      {10.0, 200, 2000, "2 km"},   {100.0, 200, 20000, "20 km"}, {0.3, 200, 50, "50 m"},
      {0.001, 200, 1, "1 m"},      {1.0, 1000, 1000, "1 km"},   {1.0, 5000, 5000, "5 km"},
  };
  for (const Case& c : cases) {
    const ScaleBar bar = ChooseScaleBar(c.metres_per_unit, c.max_length);
    EXPECT_EQ(bar.metres, c.metres) << c.metres_per_unit << " " << c.max_length;
    EXPECT_EQ(bar.label, c.label);
    EXPECT_DOUBLE_EQ(bar.length, c.metres / c.metres_per_unit);
  }
}

}  // namespace
}  // namespace tracksift::plot
