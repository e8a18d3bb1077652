#include "tracklog/line_file.h"

#include "base/failure.h"
#include "tracklog/input_file.h"
#include "tracklog/line_text.h"
#include "tracklog/output_file.h"

namespace tracksift {

void LoadLines(LineList& list, const std::string& path) {
  // Read first: the list keeps its lines when the file cannot be read.
  const std::string text = ReadWholeFile(path);
  SplitLines(list, text);
}

void SaveLines(const LineList& list, const std::string& path) {
  OutputFile file = OutputFile::Create(path);
  const std::string text = JoinLines(list);
  file.Append(text);
  file.Commit();
}

}  // namespace tracksift
