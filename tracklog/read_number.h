// PROVISIONAL: replaced by the exact decimal reader.
#ifndef TRACKSIFT_TRACKLOG_READ_NUMBER_H_
#define TRACKSIFT_TRACKLOG_READ_NUMBER_H_

#include <string_view>

#include "tracklog/extended.h"

namespace tracksift {

Extended ReadNumber(std::string_view text, char decimal_mark);

}  // namespace tracksift

#endif  // TRACKSIFT_TRACKLOG_READ_NUMBER_H_
