// Line files: moving a whole file into a LineList and a whole LineList into
// a file, by the reading and writing rules of line_text.h.

#ifndef TRACKSIFT_TRACKLOG_LINE_FILE_H_
#define TRACKSIFT_TRACKLOG_LINE_FILE_H_

#include <string>

#include "tracklog/line_list.h"

namespace tracksift {

// Replaces the contents of list with the lines of the file at path.
// EFOpenError when the file cannot be opened or read whole (the list then
// keeps its contents); EOutOfMemory.
void LoadLines(LineList& list, const std::string& path);

// Writes the lines of list to the file at path, CR LF after every line,
// replacing the file only once the whole text is written. EFCreateError,
// EWriteError, EOutOfMemory; on failure the file at path is as it was.
void SaveLines(const LineList& list, const std::string& path);

}  // namespace tracksift

#endif  // TRACKSIFT_TRACKLOG_LINE_FILE_H_
