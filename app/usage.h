// PROVISIONAL: the usage text.
#ifndef TRACKSIFT_APP_USAGE_H_
#define TRACKSIFT_APP_USAGE_H_

namespace tracksift {

void PrintUsage();

}  // namespace tracksift

#endif  // TRACKSIFT_APP_USAGE_H_
