#include "app/run.h"

#include <new>

#include "app/command_line.h"
#include "app/console_output.h"
#include "app/failure_report.h"
#include "app/usage.h"
#include "base/failure.h"
#include "tracklog/input_file.h"
#include "tracklog/rmc_fields.h"

namespace tracksift {

Run::Run(const LocaleSettings& locale)
    : locale_(locale),
      lead_bytes_(locale.cp932_lead_bytes ? LeadBytes::Cp932() : LeadBytes()) {}

int Run::Execute(const std::vector<std::string>& args) {
  args_ = args;
  if (args_.empty()) {
    ShowUsage();
    return 0;
  }
  ReadCommandLine();
  OpenFiles();
  try {
    Walk();
  } catch (...) {
    // The whole input is read before its blocks are judged, so a file that
    // cannot be read whole fails first.
    InputLines.ReadRest();
    throw;
  }
  InputLines.ReadRest();
  SaveOutput();
  return 0;
}

void Run::Walk() {
  PrevSpeed = kStartSpeed;
  while (!InputLines.AtEnd()) {
    CollectBlock();
    ReadRmcFields();
    DecideBlock();
  }
}

void Run::ShowUsage() { PrintUsage(); }

void Run::ReadCommandLine() {
  CommandLine line = tracksift::ReadCommandLine(args_, locale_.decimal_mark);
  SpeedLimit = line.limits.speed;
  RatioLimit = line.limits.ratio;
  InputFileName = std::move(line.input_file);
  OutputFileName = std::move(line.output_file);
}

void Run::OpenFiles() {
  InputLines = LineStream(InputFile::Open(InputFileName));
  KeptLines.Open(OutputFileName);
}

void Run::UseInputText(std::string_view text) { InputLines = LineStream(text); }

void Run::CollectBlock() { tracksift::CollectBlock(InputLines, BlockLines, BlockPlace); }

void Run::ReadRmcFields() { tracksift::ReadRmcFields(BlockLines, RmcFields, lead_bytes_); }

void Run::DecideBlock() {
  if (tracksift::DecideBlock(RmcFields, Limits{SpeedLimit, RatioLimit}, Speed, PrevSpeed)) {
    KeptLines.AppendAll(BlockLines, BlockPlace);
  }
}

void Run::SaveOutput() { KeptLines.Save(); }

int RunProgram(int argc, const char* const* argv, const LocaleSettings& locale) {
  try {
    const std::vector<std::string> args(argv + (argc > 0 ? 1 : 0), argv + argc);
    int status;
    {
      Run run(locale);
      status = run.Execute(args);
    }
    // The end of the process writes out what the console still holds; a
    // failure of that last write is ignored.
    FlushConsole();
    return status;
  } catch (const Exception& failure) {
    FailureReport(failure);
  } catch (const std::bad_alloc&) {
    FailureReport(EOutOfMemory());
  } catch (...) {
    // The program raises nothing else; should a library do so, it can only
    // be a request it could not meet for lack of memory.
    FailureReport(EOutOfMemory());
  }
}

}  // namespace tracksift
