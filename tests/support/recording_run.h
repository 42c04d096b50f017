// What the tests' recording hosts share, whatever else they record: they
// count pump calls and cancel tests, and can press Cancel inside a chosen
// pump call.
#pragma once

#include <cstdint>
#include <optional>

namespace kem::test {

// `Base` is Host or ImportHost.
template <typename Base>
class RecordingRun : public Base {
 public:
  bool PumpMessages() override {
    ++pumps;
    if (cancelAtPump && *cancelAtPump == pumps) {
      this->RequestCancel();
    }
    return true;
  }

  bool IsCancelled() const override {
    ++cancelTests;
    return Base::IsCancelled();
  }

  std::int64_t pumps = 0;
  mutable std::int64_t cancelTests = 0;
  std::optional<std::int64_t> cancelAtPump;  // press Cancel inside this pump call (from 1)
};

}  // namespace kem::test
