// tracksift-plot: draws the track of a GPS track log and shows which of its
// fixes tracksift kept and which it dropped.
//
//   tracksift-plot IN OUT SVGFILE
//
// IN is a track log, OUT what tracksift made of it; SVGFILE gets the picture.
// Prints nothing on success. On failure prints one line in English on
// standard output and ends with exit status 1; SVGFILE is then left as it was.

#include <signal.h>

#include <cstdio>
#include <exception>
#include <new>
#include <string>

#include "base/failure.h"
#include "tools/plot/plot_error.h"
#include "tools/plot/svg_plot.h"
#include "tools/plot/track_fates.h"

namespace {

constexpr const char* kUsage =
    "usage: tracksift-plot IN OUT SVGFILE (IN: a track log; OUT: what tracksift made of it)";

// What follows the last '/' of path.
std::string BaseName(const std::string& path) {
  const size_t slash = path.find_last_of('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

int Fail(const std::string& message) {
  std::printf("tracksift-plot: %s\n", message.c_str());
  std::fflush(stdout);
  return 1;
}

}  // namespace

int main(int argc, char** argv) {
  // A write beyond the file-size limit must fail, not end the process.
  signal(SIGXFSZ, SIG_IGN);
  signal(SIGPIPE, SIG_IGN);
  if (argc != 4) {
    std::printf("%s\n", kUsage);
    std::fflush(stdout);
    return 1;
  }
  const std::string input = argv[1], output = argv[2], svg = argv[3];
  try {
    const auto fixes = tracksift::plot::ReadFixes(input, output);
    tracksift::plot::SaveSvg(
        svg, tracksift::plot::RenderSvg(fixes, BaseName(input) + " \u2192 " + BaseName(output)));
  } catch (const tracksift::plot::PlotError& error) {
    return Fail(error.what());
  } catch (const std::bad_alloc&) {
    return Fail("out of memory");
  } catch (const tracksift::EOutOfMemory&) {
    return Fail("out of memory");
  } catch (const tracksift::Exception& error) {
    return Fail(std::string("failed with ") + error.KindName());
  } catch (const std::exception& error) {
    return Fail(error.what());
  }
  return 0;
}
