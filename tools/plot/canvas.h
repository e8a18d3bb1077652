// Projecting positions onto a drawing canvas, and a scale bar for it.
//
// The projection is equirectangular around the middle of the points:
// metres east are degrees of longitude times the cosine of the middle
// latitude, metres north are degrees of latitude, one degree being
// 111 195 m. It keeps north up and east right, uses one scale for both axes
// and centres the points in the frame, leaving the frame's unused side
// empty. Good for a track of a few hundred kilometres; a track across the
// 180th meridian is not handled.
//
// Canvas units grow rightwards (x) and downwards (y), as in SVG.

#ifndef TRACKSIFT_TOOLS_PLOT_CANVAS_H_
#define TRACKSIFT_TOOLS_PLOT_CANVAS_H_

#include <string>
#include <vector>

#include "tools/plot/geo_point.h"

namespace tracksift::plot {

inline constexpr double kMetresPerDegree = 111195.0;

struct CanvasPoint {
  double x = 0.0;
  double y = 0.0;
};

// The part of the canvas to draw the points in.
struct Frame {
  double left = 0.0;
  double top = 0.0;
  double width = 0.0;
  double height = 0.0;
};

class Projection {
 public:
  // The largest scale at which all points fit the frame. Points that lie
  // closer together than kMinSpan metres are drawn as if they spanned that
  // much, centred, so that a single point or a standstill does not fill
  // the frame. No points at all give a projection centred on 0 N 0 E.
  static Projection Fit(const std::vector<GeoPoint>& points, const Frame& frame);

  static constexpr double kMinSpan = 100.0;

  CanvasPoint ToCanvas(const GeoPoint& point) const;

  // Metres of ground per canvas unit.
  double MetresPerUnit() const { return 1.0 / units_per_metre_; }

 private:
  double mid_lat_ = 0.0;        // degrees
  double mid_lon_ = 0.0;        // degrees
  double east_factor_ = 1.0;    // cosine of the middle latitude
  double units_per_metre_ = 1.0;
  CanvasPoint frame_centre_;
};

// A scale bar: a round length of ground (1, 2 or 5 times a power of ten
// metres), the longest that is at most max_length canvas units long, and
// never shorter than 1 m.
struct ScaleBar {
  double metres = 0.0;
  double length = 0.0;  // canvas units
  std::string label;    // "500 m", "2 km"
};
ScaleBar ChooseScaleBar(double metres_per_unit, double max_length);

}  // namespace tracksift::plot

#endif  // TRACKSIFT_TOOLS_PLOT_CANVAS_H_
