// The picture of a filtered track log as a standalone SVG document.
//
// The page holds a title, a legend with the count of each fate, a frame with
// the track and a scale bar. In the frame, a thin grey line joins every fix
// with a position in input order (the track as logged); the kept fixes are
// blue dots joined by a blue line (the track as tracksift left it); each
// dropped fix is a red cross, drawn on top; rings mark the first and the last
// position, labelled "start" and "end". Fixes without a position are only
// counted. The document needs no fonts, scripts or files besides itself and
// writes every number with a full stop, whatever the locale.
//
// Every cross is one element with class="cross", and the legend's counts read
// "kept: N", "dropped: N" and "no fix: N".

#ifndef TRACKSIFT_TOOLS_PLOT_SVG_PLOT_H_
#define TRACKSIFT_TOOLS_PLOT_SVG_PLOT_H_

#include <string>
#include <string_view>
#include <vector>

#include "tools/plot/track_fates.h"

namespace tracksift::plot {

struct FateCounts {
  size_t kept = 0;
  size_t dropped = 0;
  size_t no_fix = 0;
};
FateCounts CountFates(const std::vector<PlottedFix>& fixes);

// The whole document; title is shown at the top (any bytes: see XmlText).
std::string RenderSvg(const std::vector<PlottedFix>& fixes, std::string_view title);

// text made fit for XML character data and attribute values: the five
// markup characters escaped, and control bytes and bytes that are not valid
// UTF-8 replaced by U+FFFD.
std::string XmlText(std::string_view text);

// Writes text to the file at path, replacing it only once the whole text is
// written. PlotError naming the path when the file cannot be written.
void SaveSvg(const std::string& path, std::string_view text);

}  // namespace tracksift::plot

#endif  // TRACKSIFT_TOOLS_PLOT_SVG_PLOT_H_
