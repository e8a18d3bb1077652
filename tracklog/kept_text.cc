#include "tracklog/kept_text.h"

#include "tracklog/line_text.h"

namespace tracksift {

void KeptText::Open(const std::string& path) {
  try {
    file_.emplace(OutputFile::Create(path));
  } catch (const EFCreateError& failure) {
    held_failure_ = failure;
  }
}

void KeptText::Put(std::string_view bytes) {
  if (!file_) {
    if (!std::holds_alternative<std::monostate>(held_failure_)) return;  // dropped
    OrOutOfMemory([&] { memory_ += bytes; });
    return;
  }
  try {
    file_->Append(bytes);
  } catch (const EWriteError& failure) {
    held_failure_ = failure;
    file_.reset();
  }
}

void KeptText::AppendAll(const LineList& lines, const BlockSpan& span) {
  if (span.crlf_only) {
    Put(span.bytes);
    return;
  }
  for (int64_t i = 0; i < lines.Count(); ++i) {
    Put(lines.LineAt(i));
    Put(kLineEnd);
  }
}

void KeptText::Save() {
  if (const auto* failure = std::get_if<EFCreateError>(&held_failure_)) throw *failure;
  if (const auto* failure = std::get_if<EWriteError>(&held_failure_)) throw *failure;
  if (!file_) return;
  try {
    file_->Commit();
  } catch (...) {
    file_.reset();
    throw;
  }
  file_.reset();
}

}  // namespace tracksift
