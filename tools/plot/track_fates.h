// Which fixes of a track log tracksift kept: every block of an input log
// with its position and its fate, found by comparing the input log with the
// output log that tracksift made of it.
//
// A log is cut into blocks after each terminator line "$PGRMM,Tokyo*2F";
// lines after the last terminator form one more block. A block's fix
// sentence is its first line that begins with "$GPRMC". Its position is read
// from fields 3 to 6 (latitude ddmm.mmmm and N or S, longitude dddmm.mmmm and
// E or W) when field 2, the status, is "A"; a block without a readable
// position has none.
//
// tracksift copies the blocks it keeps whole, unchanged and in order, so the
// fix sentences of the output are a subsequence of those of the input. An
// input block is kept when its fix sentence is the next output sentence not
// yet matched (a block without one matches a block without one); the output
// must be used up by the end of the input.
//
// Fates: kKept and kDropped for blocks with a position; kNoFix for every
// block without one, whether tracksift kept it or not.

#ifndef TRACKSIFT_TOOLS_PLOT_TRACK_FATES_H_
#define TRACKSIFT_TOOLS_PLOT_TRACK_FATES_H_

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "tools/plot/geo_point.h"
#include "tracklog/line_list.h"

namespace tracksift::plot {

enum class Fate { kKept, kDropped, kNoFix };

struct PlottedFix {
  Fate fate = Fate::kNoFix;
  GeoPoint position;  // meaningless for kNoFix

  friend bool operator==(const PlottedFix&, const PlottedFix&) = default;
};

// The fix sentence of each block of lines, in order; nullopt for a block
// that has none.
std::vector<std::optional<std::string>> FixSentences(const LineList& lines);

// The position of a fix sentence, or nullopt when its status is not "A" or
// its position fields are missing, not numbers or out of range.
std::optional<GeoPoint> PositionOf(std::string_view fix_sentence);

// The fate and position of every input block, matching the output's fix
// sentences against the input's. PlotError when the output holds a block
// that is not left in the input at its place.
std::vector<PlottedFix> JudgeFixes(
    const std::vector<std::optional<std::string>>& input,
    const std::vector<std::optional<std::string>>& output);

// Reads both logs and judges their fixes. PlotError naming the file when one
// cannot be read, and as JudgeFixes.
std::vector<PlottedFix> ReadFixes(const std::string& input_path,
                                  const std::string& output_path);

}  // namespace tracksift::plot

#endif  // TRACKSIFT_TOOLS_PLOT_TRACK_FATES_H_
