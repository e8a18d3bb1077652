#include "tracklog/line_file.h"

#include "base/failure.h"
#include "tracklog/file_text.h"
#include "tracklog/line_text.h"
#include "tracklog/output_file.h"

namespace tracksift {

void LoadLines(LineList& list, const std::string& path) {
  const FileText text = FileText::Load(path);
  LineList lines;
  SplitLines(lines, text.Bytes());
  if (!text.Whole()) throw EFOpenError(path);
  list.Clear();
  list.AppendAll(lines);
}

void SaveLines(const LineList& list, const std::string& path) {
  OutputFile file = OutputFile::Create(path);
  const std::string text = JoinLines(list);
  file.Append(text);
  file.Commit();
}

}  // namespace tracksift
