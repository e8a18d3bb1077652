// PROVISIONAL: the report that ends a failed run.
#ifndef TRACKSIFT_APP_FAILURE_REPORT_H_
#define TRACKSIFT_APP_FAILURE_REPORT_H_

#include "base/failure.h"

namespace tracksift {

[[noreturn]] void FailureReport(const Exception& failure);

}  // namespace tracksift

#endif  // TRACKSIFT_APP_FAILURE_REPORT_H_
