// GeoPoint: a position on the earth in decimal degrees, north and east
// positive.

#ifndef TRACKSIFT_TOOLS_PLOT_GEO_POINT_H_
#define TRACKSIFT_TOOLS_PLOT_GEO_POINT_H_

namespace tracksift::plot {

struct GeoPoint {
  double lat = 0.0;  // -90 to 90
  double lon = 0.0;  // -180 to 180

  friend bool operator==(const GeoPoint&, const GeoPoint&) = default;
};

}  // namespace tracksift::plot

#endif  // TRACKSIFT_TOOLS_PLOT_GEO_POINT_H_
