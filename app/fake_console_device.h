// A stand-in for the standard output in tests: records every system write a
// console channel makes and fails the ones it is told to.

#ifndef TRACKSIFT_APP_FAKE_CONSOLE_DEVICE_H_
#define TRACKSIFT_APP_FAKE_CONSOLE_DEVICE_H_

#include <cstddef>
#include <string>
#include <vector>

#include "app/console_output.h"

namespace tracksift {

class FakeConsoleDevice final : public ConsoleDevice {
 public:
  explicit FakeConsoleDevice(Kind output_kind) : kind(output_kind) {}

  Kind Probe() override {
    ++probes;
    return kind;
  }

  int Write(const char* data, size_t size) override {
    const bool fail = fail_from >= 0 && writes.size() >= static_cast<size_t>(fail_from);
    writes.emplace_back(data, size);
    return fail ? error : 0;
  }

  // The sizes of the writes, in order.
  std::vector<size_t> Sizes() const {
    std::vector<size_t> sizes;
    for (const std::string& w : writes) sizes.push_back(w.size());
    return sizes;
  }

  // The bytes of all writes that succeeded.
  std::string Delivered() const {
    std::string all;
    for (size_t i = 0; i < writes.size(); ++i) {
      if (fail_from < 0 || i < static_cast<size_t>(fail_from)) all += writes[i];
    }
    return all;
  }

  Kind kind;
  int probes = 0;
  int fail_from = -1;  // index of the first write that fails; -1: none does
  int error = 0;       // the system error number of a failed write
  std::vector<std::string> writes;
};

}  // namespace tracksift

#endif  // TRACKSIFT_APP_FAKE_CONSOLE_DEVICE_H_
