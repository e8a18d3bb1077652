// File descriptors of files the program opens itself.

#ifndef TRACKSIFT_TRACKLOG_DESCRIPTORS_H_
#define TRACKSIFT_TRACKLOG_DESCRIPTORS_H_

namespace tracksift {

// Moves a freshly opened descriptor above 0, 1 and 2, closing the original,
// and returns the new one (or -1 when that fails, with the original closed).
// When the process was started with standard output closed, the next file
// it opens would otherwise become its standard output: /dev/stdout would
// then name that file, and a failure report would be written into it.
int AboveStandardStreams(int fd);

}  // namespace tracksift

#endif  // TRACKSIFT_TRACKLOG_DESCRIPTORS_H_
