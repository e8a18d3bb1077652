// FailureReport: what the program prints when a failure ends the run.
//
// The report is two lines and an empty one, on standard output:
//   <kind> がモジュール <program file name> の <code location> で発生しました。
//   <message>, with "." added when it is not empty and its last byte is not "."
// The code location is eight uppercase hexadecimal digits. The text (both
// lines with their CR LF) is composed in a fixed area of 1024 bytes and cut
// there, bytes not characters; it leaves with one write, and a last CR LF
// with another. The process then ends with exit status 1.
//
// On a UTF-8 terminal (see ConsoleEncoding) the fixed texts are in UTF-8 and
// the cut falls at 1024 bytes of that form, moved back to the start of a
// UTF-8 character that it would split. The cp932 form is cut at 1024 bytes
// exactly, wherever that falls.
//
// Nothing here allocates, so a failure can be reported when memory is gone.

#ifndef TRACKSIFT_APP_FAILURE_REPORT_H_
#define TRACKSIFT_APP_FAILURE_REPORT_H_

#include <cstddef>
#include <string_view>

#include "app/console_output.h"
#include "base/failure.h"
#include "base/texts.h"

namespace tracksift {

inline constexpr size_t kReportLimit = 1024;

// Composes the report text of failure into area; returns its length.
size_t ComposeReport(const Exception& failure, std::string_view program_name,
                     Encoding encoding, char (&area)[kReportLimit]);

// Flushes console, then writes the report of failure to its device, directly
// and not through the buffer; a failure of those writes is ignored. When the
// flush fails, the EInOutError of that failure is reported instead.
void WriteFailureReport(const Exception& failure, ConsoleOutput& console,
                        std::string_view program_name, Encoding encoding);

// The file name of the running program without its directory, kept in area;
// empty when the system cannot tell.
inline constexpr size_t kProgramPathArea = 4096;
std::string_view ProgramFileName(char (&area)[kProgramPathArea]);

// Reports failure on standard output and ends the process with status 1.
[[noreturn]] void FailureReport(const Exception& failure);

}  // namespace tracksift

#endif  // TRACKSIFT_APP_FAILURE_REPORT_H_
