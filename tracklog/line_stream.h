// LineStream: the lines of a text, taken one after another by the reading
// rules of line files (see line_text.h), from a file read in chunks or from
// bytes already in memory.
//
// Only the lines of the current run (from the last StartRun on) are kept in
// memory, so a log of any size is read in a buffer about the size of its
// largest fix block. The text ends at the end of the file or at its first NUL
// byte; the rest of the file is still read by ReadRest, so that a file that
// cannot be read whole always fails.
//
// Views handed out by Next are valid until the next call of Next, AtEnd or
// StartRun; views of the run (RunLine, RunBytes) until the next AtEnd or
// StartRun.

#ifndef TRACKSIFT_TRACKLOG_LINE_STREAM_H_
#define TRACKSIFT_TRACKLOG_LINE_STREAM_H_

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

#include "tracklog/input_file.h"
#include "tracklog/line_list.h"

namespace tracksift {

class LineStream {
 public:
  LineStream() = default;  // no lines
  explicit LineStream(InputFile file);
  // bytes must outlive the stream.
  explicit LineStream(std::string_view bytes);

  LineStream(LineStream&&) = default;
  LineStream& operator=(LineStream&&) = default;

  // Whether no line is left. May read from the file (EFOpenError).
  bool AtEnd() { return next_ == filled_ && !ReadMore(); }

  // The number of lines taken so far.
  int64_t Index() const { return index_; }

  // Takes the next line; the stream must not be at its end. ends_with_crlf
  // tells whether its break was exactly CR LF, so that the text already holds
  // the bytes the writing rules would give it. EFOpenError, EOutOfMemory.
  std::string_view Next(bool* ends_with_crlf);

  // The common case of a whole run of lines, taken at once: when the lines
  // from the next one up to and including the first line equal to last are
  // all among the bytes already read, and every one of them ends with CR LF,
  // takes them, as Next would one by one, appends each to lines as a view,
  // and returns true. Otherwise returns false, having taken no line; lines
  // may then hold some of the views. Reads nothing from the file.
  bool TakeCrlfLinesThrough(std::string_view last, LineList& lines);

  // Starts a new run at the next line; earlier bytes may be dropped.
  void StartRun();

  // The lines taken since StartRun, and all their bytes, breaks included.
  size_t RunSize() const { return run_lines_.size(); }
  std::string_view RunLine(size_t i) const {
    return {data_ + run_lines_[i].begin, run_lines_[i].size};
  }
  std::string_view RunBytes() const { return {data_ + run_start_, next_ - run_start_}; }

  // Reads what is left of the file after the end of the text.
  void ReadRest() { file_.ReadRest(); }

 private:
  struct LineRef {
    size_t begin;
    size_t size;
  };

  // Makes more bytes of the text available; false when there are none.
  bool ReadMore();

  InputFile file_;
  std::unique_ptr<char[]> buffer_;  // holds data_ when reading a file
  size_t capacity_ = 0;
  const char* data_ = nullptr;
  size_t filled_ = 0;       // bytes of the text in data_
  size_t run_start_ = 0;    // offset of the current run's first byte
  size_t next_ = 0;         // offset of the next line
  size_t scanned_ = 0;      // no line break in [next_, scanned_)
  bool text_ended_ = true;  // no more bytes of the text will come
  int64_t index_ = 0;
  std::vector<LineRef> run_lines_;
};

}  // namespace tracksift

#endif  // TRACKSIFT_TRACKLOG_LINE_STREAM_H_
