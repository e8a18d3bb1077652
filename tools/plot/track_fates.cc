#include "tools/plot/track_fates.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cmath>
#include <cstring>

#include "base/failure.h"
#include "tools/plot/plot_error.h"
#include "tracklog/comma_text.h"
#include "tracklog/extended.h"
#include "tracklog/fix_block.h"
#include "tracklog/line_file.h"
#include "tracklog/read_number.h"
#include "tracklog/rmc_fields.h"

namespace tracksift::plot {
namespace {

// Field numbers of the position in the fix sentence.
constexpr int kLatitudeField = 3;
constexpr int kNorthSouthField = 4;
constexpr int kLongitudeField = 5;
constexpr int kEastWestField = 6;

// The degrees of a field written as whole degrees times 100 plus minutes
// (ddmm.mmmm or dddmm.mmmm), or nullopt when it is not such a number or
// lies beyond max_degrees.
std::optional<double> Degrees(std::string_view text, double max_degrees) {
  if (text.empty()) return std::nullopt;
  double value = 0.0;
  try {
    value = ToDouble(ReadNumber(text, '.'));  // NMEA always writes a full stop
  } catch (const Exception&) {
    return std::nullopt;
  }
  if (!(value >= 0.0)) return std::nullopt;
  const double whole = std::floor(value / 100.0);
  const double minutes = value - whole * 100.0;
  if (minutes >= 60.0) return std::nullopt;
  const double degrees = whole + minutes / 60.0;
  if (degrees > max_degrees) return std::nullopt;
  return degrees;
}

// Why the file at path cannot be read, as far as the system tells.
std::string WhyUnreadable(const std::string& path) {
  if (path.empty()) return "the file name is empty";
  struct stat status;
  if (stat(path.c_str(), &status) != 0) return std::strerror(errno);
  if (S_ISDIR(status.st_mode)) return "it is a directory";
  const int fd = open(path.c_str(), O_RDONLY);
  if (fd < 0) return std::strerror(errno);
  close(fd);
  return "it could not be read to its end";
}

LineList LoadLog(const std::string& path) {
  LineList lines;
  try {
    LoadLines(lines, path);
  } catch (const EOutOfMemory&) {
    throw PlotError("'" + path + "' does not fit in memory");
  } catch (const Exception&) {
    throw PlotError("cannot read '" + path + "': " + WhyUnreadable(path));
  }
  return lines;
}

}  // namespace

std::vector<std::optional<std::string>> FixSentences(const LineList& lines) {
  std::vector<std::optional<std::string>> sentences;
  std::optional<std::string> sentence;
  bool in_block = false;  // a line other than an empty one since the last terminator
  for (int64_t i = 0; i < lines.Count(); ++i) {
    const std::string_view line = lines.LineAt(i);
    if (line == kBlockTerminator) {
      sentences.push_back(std::move(sentence));
      sentence.reset();
      in_block = false;
      continue;
    }
    if (!line.empty()) in_block = true;
    if (!sentence && line.starts_with(kRmcPrefix)) sentence.emplace(line);
  }
  if (in_block) sentences.push_back(std::move(sentence));
  return sentences;
}

std::optional<GeoPoint> PositionOf(std::string_view fix_sentence) {
  LineList fields;
  SplitCommaText(fields, fix_sentence);
  if (fields.Count() <= kEastWestField || fields.LineAt(kStatusField) != "A") {
    return std::nullopt;
  }
  const std::optional<double> lat = Degrees(fields.LineAt(kLatitudeField), 90.0);
  const std::optional<double> lon = Degrees(fields.LineAt(kLongitudeField), 180.0);
  const std::string_view north_south = fields.LineAt(kNorthSouthField);
  const std::string_view east_west = fields.LineAt(kEastWestField);
  if (!lat || !lon || (north_south != "N" && north_south != "S") ||
      (east_west != "E" && east_west != "W")) {
    return std::nullopt;
  }
  return GeoPoint{north_south == "S" ? -*lat : *lat, east_west == "W" ? -*lon : *lon};
}

std::vector<PlottedFix> JudgeFixes(
    const std::vector<std::optional<std::string>>& input,
    const std::vector<std::optional<std::string>>& output) {
  std::vector<PlottedFix> fixes;
  fixes.reserve(input.size());
  size_t next = 0;  // the first output block not yet matched
  for (const std::optional<std::string>& sentence : input) {
    const bool kept = next < output.size() && output[next] == sentence;
    if (kept) ++next;
    PlottedFix fix;
    if (const std::optional<GeoPoint> position =
            sentence ? PositionOf(*sentence) : std::nullopt) {
      fix = {kept ? Fate::kKept : Fate::kDropped, *position};
    }
    fixes.push_back(fix);
  }
  if (next < output.size()) {
    throw PlotError("its block " + std::to_string(next + 1) +
                    " is not found in the input log, in order");
  }
  return fixes;
}

std::vector<PlottedFix> ReadFixes(const std::string& input_path,
                                  const std::string& output_path) {
  const auto input = FixSentences(LoadLog(input_path));
  const auto output = FixSentences(LoadLog(output_path));
  try {
    return JudgeFixes(input, output);
  } catch (const PlotError& error) {
    throw PlotError("'" + output_path + "' is not tracksift's output for '" +
                    input_path + "': " + error.what());
  }
}

}  // namespace tracksift::plot
