// PlotError: a failure of tracksift-plot, carrying the one-line English
// message that the tool prints before it ends with exit status 1.

#ifndef TRACKSIFT_TOOLS_PLOT_PLOT_ERROR_H_
#define TRACKSIFT_TOOLS_PLOT_PLOT_ERROR_H_

#include <stdexcept>

namespace tracksift::plot {

class PlotError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

}  // namespace tracksift::plot

#endif  // TRACKSIFT_TOOLS_PLOT_PLOT_ERROR_H_
