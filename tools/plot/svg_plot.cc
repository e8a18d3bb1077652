#include "tools/plot/svg_plot.h"

#include <charconv>
#include <cstdint>
#include <system_error>

#include "base/failure.h"
#include "tools/plot/canvas.h"
#include "tools/plot/plot_error.h"
#include "tracklog/output_file.h"

namespace tracksift::plot {
namespace {

// The page: header (title and legend), frame with the track, scale bar.
constexpr int kWidth = 800;
constexpr int kHeight = 660;
constexpr Frame kFrame{20, 80, 760, 530};
constexpr double kInset = 14;  // room between the frame's edge and the track
constexpr double kLegendY = 60;
constexpr double kScaleY = 636;
constexpr double kCrossHalf = 4;

constexpr std::string_view kTrackColour = "#a8a8a8";
constexpr std::string_view kKeptColour = "#1764c0";
constexpr std::string_view kDroppedColour = "#d62728";
constexpr std::string_view kTextColour = "#24292f";
constexpr std::string_view kMutedColour = "#6e7781";

// A number with one decimal and a full stop.
std::string Num(double value) {
  char buffer[32];
  const auto [end, error] =
      std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, 1);
  return error == std::errc() ? std::string(buffer, end) : "0";
}

std::string Point(const CanvasPoint& point) { return Num(point.x) + "," + Num(point.y); }

std::string Cross(const CanvasPoint& p, std::string_view css_class) {
  const double h = kCrossHalf;
  return "<path class=\"" + std::string(css_class) + "\" d=\"M" +
         Point({p.x - h, p.y - h}) + "L" + Point({p.x + h, p.y + h}) + "M" +
         Point({p.x - h, p.y + h}) + "L" + Point({p.x + h, p.y - h}) + "\"/>\n";
}

std::string Text(double x, double y, std::string_view attributes, std::string_view text) {
  return "<text x=\"" + Num(x) + "\" y=\"" + Num(y) + "\" " + std::string(attributes) +
         ">" + XmlText(text) + "</text>\n";
}

std::string Legend(const FateCounts& counts) {
  const double y = kLegendY;
  const double mark_y = y - 4.5;
  std::string out = "<g class=\"legend\" font-size=\"14\">\n";
  out += "<line x1=\"20\" y1=\"" + Num(mark_y) + "\" x2=\"44\" y2=\"" + Num(mark_y) +
         "\" stroke=\"" + std::string(kTrackColour) + "\" stroke-width=\"1.5\"/>\n";
  out += Text(52, y, "", "logged track");
  out += "<line x1=\"180\" y1=\"" + Num(mark_y) + "\" x2=\"204\" y2=\"" + Num(mark_y) +
         "\" stroke=\"" + std::string(kKeptColour) + "\" stroke-width=\"2\"/>\n";
  out += "<circle cx=\"192\" cy=\"" + Num(mark_y) + "\" r=\"3\" fill=\"" +
         std::string(kKeptColour) + "\"/>\n";
  out += Text(212, y, "", "kept: " + std::to_string(counts.kept));
  out += "<g stroke=\"" + std::string(kDroppedColour) +
         "\" stroke-width=\"2\" stroke-linecap=\"round\">" +
         Cross({352, mark_y}, "legend-cross") + "</g>\n";
  out += Text(366, y, "", "dropped: " + std::to_string(counts.dropped));
  out += Text(520, y, "fill=\"" + std::string(kMutedColour) + "\"",
              "no fix: " + std::to_string(counts.no_fix));
  out += Text(kWidth - 20, y, "text-anchor=\"end\" fill=\"" + std::string(kMutedColour) + "\"",
              "blocks: " + std::to_string(counts.kept + counts.dropped + counts.no_fix));
  return out + "</g>\n";
}

// A ring with a label at the first or the last fix with a position.
std::string EndMark(const CanvasPoint& p, std::string_view label) {
  return "<circle class=\"" + std::string(label) + "\" cx=\"" + Num(p.x) + "\" cy=\"" +
         Num(p.y) + "\" r=\"4.5\" fill=\"#ffffff\" stroke=\"" + std::string(kTextColour) +
         "\" stroke-width=\"1.5\"/>\n" +
         Text(p.x + 8, p.y - 7,
              "font-size=\"13\" stroke=\"#ffffff\" stroke-width=\"3\" paint-order=\"stroke\"",
              label);
}

std::string ScaleBarOf(const Projection& projection) {
  const ScaleBar bar = ChooseScaleBar(projection.MetresPerUnit(), 200);
  const double left = kFrame.left;
  const double right = left + bar.length;
  const double y = kScaleY;
  const std::string stroke = "stroke=\"" + std::string(kTextColour) + "\" stroke-width=\"1.5\"";
  std::string out = "<g class=\"scale\" font-size=\"13\">\n";
  out += "<path d=\"M" + Point({left, y - 5}) + "V" + Num(y) + "H" + Num(right) + "V" +
         Num(y - 5) + "\" fill=\"none\" " + stroke + "/>\n";
  out += Text(right + 8, y + 1, "", bar.label);
  return out + "</g>\n";
}

// Length of the valid UTF-8 sequence at the start of text, or 0.
size_t Utf8Length(std::string_view text) {
  const auto byte = [&](size_t i) { return static_cast<unsigned char>(text[i]); };
  size_t length = 0;
  uint32_t code = 0;
  if (byte(0) < 0x80) return 1;
  if ((byte(0) & 0xE0) == 0xC0) {
    length = 2, code = byte(0) & 0x1F;
  } else if ((byte(0) & 0xF0) == 0xE0) {
    length = 3, code = byte(0) & 0x0F;
  } else if ((byte(0) & 0xF8) == 0xF0) {
    length = 4, code = byte(0) & 0x07;
  } else {
    return 0;
  }
  if (text.size() < length) return 0;
  for (size_t i = 1; i < length; ++i) {
    if ((byte(i) & 0xC0) != 0x80) return 0;
    code = code << 6 | (byte(i) & 0x3F);
  }
  constexpr uint32_t kLeast[] = {0, 0, 0x80, 0x800, 0x10000};  // no overlong forms
  if (code < kLeast[length] || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) {
    return 0;
  }
  return length;
}

}  // namespace

FateCounts CountFates(const std::vector<PlottedFix>& fixes) {
  FateCounts counts;
  for (const PlottedFix& fix : fixes) {
    switch (fix.fate) {
      case Fate::kKept: ++counts.kept; break;
      case Fate::kDropped: ++counts.dropped; break;
      case Fate::kNoFix: ++counts.no_fix; break;
    }
  }
  return counts;
}

std::string RenderSvg(const std::vector<PlottedFix>& fixes, std::string_view title) {
  std::vector<GeoPoint> positions;
  for (const PlottedFix& fix : fixes) {
    if (fix.fate != Fate::kNoFix) positions.push_back(fix.position);
  }
  const Projection projection = Projection::Fit(
      positions, {kFrame.left + kInset, kFrame.top + kInset, kFrame.width - 2 * kInset,
                  kFrame.height - 2 * kInset});

  std::string logged, kept, dots, crosses;
  for (const PlottedFix& fix : fixes) {
    if (fix.fate == Fate::kNoFix) continue;
    const CanvasPoint p = projection.ToCanvas(fix.position);
    logged += Point(p) + " ";
    if (fix.fate == Fate::kKept) {
      kept += Point(p) + " ";
      dots += "<circle cx=\"" + Num(p.x) + "\" cy=\"" + Num(p.y) + "\" r=\"2.2\"/>\n";
    } else {
      crosses += Cross(p, "cross");
    }
  }

  const std::string size = std::to_string(kWidth) + "\" height=\"" + std::to_string(kHeight);
  std::string out = "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" + size +
                    "\" viewBox=\"0 0 " + std::to_string(kWidth) + " " +
                    std::to_string(kHeight) +
                    "\" font-family=\"DejaVu Sans, Verdana, Arial, sans-serif\" fill=\"" +
                    std::string(kTextColour) + "\">\n";
  out += "<title>" + XmlText(title) + "</title>\n";
  out += "<rect width=\"" + size + "\" fill=\"#ffffff\"/>\n";
  out += Text(20, 32, "font-size=\"18\" font-weight=\"bold\"", title);
  out += Legend(CountFates(fixes));
  out += "<rect class=\"frame\" x=\"" + Num(kFrame.left) + "\" y=\"" + Num(kFrame.top) +
         "\" width=\"" + Num(kFrame.width) + "\" height=\"" + Num(kFrame.height) +
         "\" fill=\"#f6f8fa\" stroke=\"#d0d7de\"/>\n";
  if (positions.empty()) {
    out += Text(kFrame.left + kFrame.width / 2, kFrame.top + kFrame.height / 2,
                "text-anchor=\"middle\" font-size=\"16\" fill=\"" + std::string(kMutedColour) + "\"",
                "no fix with a position in this log");
  } else {
    out += "<polyline class=\"logged-track\" fill=\"none\" stroke=\"" +
           std::string(kTrackColour) + "\" stroke-width=\"1\" points=\"" + logged + "\"/>\n";
    out += "<polyline class=\"kept-track\" fill=\"none\" stroke=\"" + std::string(kKeptColour) +
           "\" stroke-width=\"1.8\" stroke-linejoin=\"round\" points=\"" + kept + "\"/>\n";
    out += "<g class=\"kept\" fill=\"" + std::string(kKeptColour) + "\">\n" + dots + "</g>\n";
    out += "<g class=\"dropped\" stroke=\"" + std::string(kDroppedColour) +
           "\" stroke-width=\"1.8\" stroke-linecap=\"round\">\n" + crosses + "</g>\n";
    out += EndMark(projection.ToCanvas(positions.front()), "start");
    if (positions.size() > 1) out += EndMark(projection.ToCanvas(positions.back()), "end");
    out += ScaleBarOf(projection);
  }
  return out + "</svg>\n";
}

std::string XmlText(std::string_view text) {
  constexpr std::string_view kReplacement = "\xEF\xBF\xBD";  // U+FFFD
  std::string out;
  for (size_t i = 0; i < text.size();) {
    const auto byte = static_cast<unsigned char>(text[i]);
    switch (byte) {
      case '&': out += "&amp;"; ++i; continue;
      case '<': out += "&lt;"; ++i; continue;
      case '>': out += "&gt;"; ++i; continue;
      case '"': out += "&quot;"; ++i; continue;
      case '\'': out += "&apos;"; ++i; continue;
      default: break;
    }
    const size_t length = byte < 0x20 || byte == 0x7F ? 0 : Utf8Length(text.substr(i));
    if (length == 0) {
      out += kReplacement;
      ++i;
    } else {
      out += text.substr(i, length);
      i += length;
    }
  }
  return out;
}

void SaveSvg(const std::string& path, std::string_view text) {
  try {
    OutputFile file = OutputFile::Create(path);
    file.Append(text);
    file.Commit();
  } catch (const EFCreateError&) {
    throw PlotError("cannot create '" + path + "'");
  } catch (const Exception&) {
    throw PlotError("cannot write '" + path + "' (is the disk full?)");
  }
}

}  // namespace tracksift::plot
