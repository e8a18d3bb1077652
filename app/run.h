// Run: one run of the program, and the state it works on.
//
// A run either prints the usage text (no arguments) or filters a track log:
// read the command line, load the input, walk it block by block (collect the
// block, read its fix sentence, decide), then save the kept blocks. Steps
// raise failures and catch none; the caller reports them after the Run is
// destroyed, so its lists and files are released first.
//
// The input is read in chunks as the walk goes on, and kept blocks go on to
// a temporary output file at once; the output appears only after the whole
// walk has succeeded, whole or not at all. Failures keep the order of the
// steps: a file that cannot be read whole fails before anything the walk
// met, and the walk's failures before those of the output file. The input is
// never changed, even when the output path names it.

#ifndef TRACKSIFT_APP_RUN_H_
#define TRACKSIFT_APP_RUN_H_

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "app/locale.h"
#include "filter/decide_block.h"
#include "tracklog/comma_text.h"
#include "tracklog/fix_block.h"
#include "tracklog/kept_text.h"
#include "tracklog/line_list.h"
#include "tracklog/line_stream.h"

namespace tracksift {

class Run {
 public:
  explicit Run(const LocaleSettings& locale);

  // Runs the program with the arguments that follow its name. Returns the
  // exit status of a completed run (0); a failure is raised instead.
  int Execute(const std::vector<std::string>& args);

  // The steps of a run, in the order Execute calls them.
  void ShowUsage();
  void ReadCommandLine();
  void OpenFiles();  // the input, and the output as it will be saved
  void Walk();       // CollectBlock, ReadRmcFields, DecideBlock for every block
  void CollectBlock();
  void ReadRmcFields();
  void DecideBlock();
  void SaveOutput();

  // For running the filter in memory (fuzzing): takes the arguments without
  // running anything, takes text as the input in place of OpenFiles, and
  // gives the bytes the output file would get.
  void SetArguments(std::vector<std::string> args) { args_ = std::move(args); }
  void UseInputText(std::string_view text);
  const std::string& OutputBytes() const { return KeptLines.Bytes(); }

 private:
  const LocaleSettings locale_;
  const LeadBytes lead_bytes_;
  std::vector<std::string> args_;

  // The input's lines as the walk takes them: the number of lines taken so
  // far is the index of the next line.
  LineStream InputLines;
  KeptText KeptLines;
  LineList BlockLines;
  BlockSpan BlockPlace;
  LineList RmcFields;

  double SpeedLimit = -1.0;  // knots; negative: the speed test is off
  double RatioLimit = -1.0;  // negative: the ratio test is off
  double Speed = 0.0;
  double PrevSpeed = kStartSpeed;
  std::string InputFileName;
  std::string OutputFileName;
};

// Runs the program on its arguments (argv[0] is the program's name) and
// reports a failure: returns the exit status of a completed run, or writes
// the failure report and ends the process with exit status 1.
int RunProgram(int argc, const char* const* argv, const LocaleSettings& locale);

}  // namespace tracksift

#endif  // TRACKSIFT_APP_RUN_H_
