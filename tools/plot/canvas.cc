#include "tools/plot/canvas.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <utility>

namespace tracksift::plot {

Projection Projection::Fit(const std::vector<GeoPoint>& points, const Frame& frame) {
  Projection projection;
  projection.frame_centre_ = {frame.left + frame.width / 2, frame.top + frame.height / 2};
  double south = 0.0, north = 0.0, west = 0.0, east = 0.0;
  if (!points.empty()) {
    south = north = points.front().lat;
    west = east = points.front().lon;
  }
  for (const GeoPoint& point : points) {
    south = std::min(south, point.lat);
    north = std::max(north, point.lat);
    west = std::min(west, point.lon);
    east = std::max(east, point.lon);
  }
  projection.mid_lat_ = (south + north) / 2;
  projection.mid_lon_ = (west + east) / 2;
  projection.east_factor_ = std::cos(projection.mid_lat_ * std::numbers::pi / 180);
  const double width_m =
      std::max((east - west) * projection.east_factor_ * kMetresPerDegree, kMinSpan);
  const double height_m = std::max((north - south) * kMetresPerDegree, kMinSpan);
  projection.units_per_metre_ = std::min(frame.width / width_m, frame.height / height_m);
  return projection;
}

CanvasPoint Projection::ToCanvas(const GeoPoint& point) const {
  const double east_m = (point.lon - mid_lon_) * east_factor_ * kMetresPerDegree;
  const double north_m = (point.lat - mid_lat_) * kMetresPerDegree;
  return {frame_centre_.x + east_m * units_per_metre_,
          frame_centre_.y - north_m * units_per_metre_};
}

ScaleBar ChooseScaleBar(double metres_per_unit, double max_length) {
  const double max_metres = metres_per_unit * max_length;
  double metres = 1.0;
  if (max_metres > 1.0) {
    metres = std::pow(10.0, std::floor(std::log10(max_metres)));
    for (const double step : {5.0, 2.0}) {
      if (metres * step <= max_metres) {
        metres *= step;
        break;
      }
    }
    metres = std::round(metres);
  }
  const auto whole = static_cast<long long>(metres);
  std::string label = whole >= 1000 ? std::to_string(whole / 1000) + " km"
                                    : std::to_string(whole) + " m";
  return {metres, metres / metres_per_unit, std::move(label)};
}

}  // namespace tracksift::plot
