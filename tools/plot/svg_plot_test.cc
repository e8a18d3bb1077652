#include "tools/plot/svg_plot.h"

#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "tools/plot/plot_error.h"

namespace tracksift::plot {
namespace {

size_t Occurrences(const std::string& text, const std::string& what) {
  size_t count = 0;
  for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) {
    ++count;
  }
  return count;
}

// The points attribute of the polyline with the given class.
std::string PointsOf(const std::string& svg, const std::string& css_class) {
  const size_t element = svg.find("<polyline class=\"" + css_class + "\"");
  if (element == std::string::npos) return "(none)";
  const std::string attribute = " points=\"";
  const size_t begin = svg.find(attribute, element) + attribute.size();
  return svg.substr(begin, svg.find('"', begin) - begin);
}

std::vector<PlottedFix> SampleFixes() {
  return {{Fate::kKept, {35.50, 139.90}}, {Fate::kNoFix, {}},
          {Fate::kDropped, {35.60, 139.95}}, {Fate::kKept, {35.51, 139.91}},
          {Fate::kDropped, {35.52, 139.80}}, {Fate::kKept, {35.52, 139.92}},
          {Fate::kNoFix, {}}, {Fate::kNoFix, {}}};
}

TEST(RenderSvgTest, DrawsEveryFixByItsFateAndCountsThemInTheLegend) {
  const std::string svg = RenderSvg(SampleFixes(), "in.log \u2192 out.log");
  EXPECT_EQ(svg.rfind("<svg xmlns=\"http://www.w3.org/2000/svg\"", 0), 0u);
  EXPECT_TRUE(svg.ends_with("</svg>\n"));
  EXPECT_EQ(Occurrences(svg, "class=\"cross\""), 2u);
  EXPECT_EQ(Occurrences(svg, "<circle cx="), 3u + 1u);  // kept dots and the legend's
  EXPECT_NE(svg.find(">kept: 3<"), std::string::npos);
  EXPECT_NE(svg.find(">dropped: 2<"), std::string::npos);
  EXPECT_NE(svg.find(">no fix: 3<"), std::string::npos);
  EXPECT_NE(svg.find(">blocks: 8<"), std::string::npos);
  EXPECT_NE(svg.find(">in.log \u2192 out.log</text>"), std::string::npos);
  // The logged track joins the five positions, the kept track its three.
  EXPECT_EQ(Occurrences(PointsOf(svg, "logged-track"), ","), 5u);
  EXPECT_EQ(Occurrences(PointsOf(svg, "kept-track"), ","), 3u);
  // Every element that is opened is closed.
  EXPECT_EQ(Occurrences(svg, "<g"), Occurrences(svg, "</g>"));
  EXPECT_EQ(Occurrences(svg, "<text"), Occurrences(svg, "</text>"));
}

TEST(RenderSvgTest, KeepsEveryPointInsideTheFrame) {
  const std::string svg = RenderSvg(SampleFixes(), "t");
  std::istringstream points(PointsOf(svg, "logged-track"));
  double x = 0, y = 0;
  char comma = 0;
  int count = 0;
  while (points >> x >> comma >> y) {
    ++count;
    EXPECT_GE(x, 20.0);
    EXPECT_LE(x, 780.0);
    EXPECT_GE(y, 80.0);
    EXPECT_LE(y, 610.0);
  }
  EXPECT_EQ(count, 5);
}

TEST(RenderSvgTest, ALogWithoutAnyPositionSaysSo) {
  const std::string svg = RenderSvg({{Fate::kNoFix, {}}, {Fate::kNoFix, {}}}, "t");
  EXPECT_NE(svg.find(">no fix with a position in this log<"), std::string::npos);
  EXPECT_NE(svg.find(">no fix: 2<"), std::string::npos);
  EXPECT_EQ(svg.find("<polyline"), std::string::npos);
  EXPECT_EQ(Occurrences(svg, "class=\"cross\""), 0u);
  EXPECT_TRUE(RenderSvg({}, "t").ends_with("</svg>\n"));
}

TEST(XmlTextTest, EscapesMarkupAndReplacesWhatXmlCannotHold) {
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"a&b<c>d\"e'f", "a&amp;b&lt;c&gt;d&quot;e&apos;f"},
      {"tr\xC3\xA4" "ck \xE6\x97\xA5 \xF0\x9F\x9A\x97", "tr\xC3\xA4" "ck \xE6\x97\xA5 \xF0\x9F\x9A\x97"},
      {std::string("a\tb\x01\x7F", 5), "a\xEF\xBF\xBD" "b\xEF\xBF\xBD\xEF\xBF\xBD"},
      {std::string("\0", 1), "\xEF\xBF\xBD"},
      {"\x93\xFC\x97\xCD", "\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD"},  // cp932
      {"\xC3", "\xEF\xBF\xBD"},                 // cut short
      {"\xC0\xAF", "\xEF\xBF\xBD\xEF\xBF\xBD"},  // overlong
      {"\xED\xA0\x80", "\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD"},  // surrogate
      {"\xF4\x90\x80\x80", "\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD"},  // > U+10FFFF
  };
  for (const auto& [text, want] : cases) EXPECT_EQ(XmlText(text), want) << text;
}

TEST(SaveSvgTest, WritesTheTextOrNamesThePath) {
  std::string dir = testing::TempDir() + "plot-svg-XXXXXX";
  ASSERT_NE(mkdtemp(dir.data()), nullptr);
  const std::string path = dir + "/track.svg";
  SaveSvg(path, "<svg/>\n");
  SaveSvg(path, "<svg></svg>\n");
  std::ifstream in(path, std::ios::binary);
  std::stringstream bytes;
  bytes << in.rdbuf();
  EXPECT_EQ(bytes.str(), "<svg></svg>\n");
  try {
    SaveSvg(dir + "/missing/track.svg", "<svg/>");
    ADD_FAILURE();
  } catch (const PlotError& error) {
    EXPECT_EQ(error.what(), "cannot create '" + dir + "/missing/track.svg'");
  }
  unlink(path.c_str());
  rmdir(dir.c_str());
}

}  // namespace
}  // namespace tracksift::plot
