#pragma once

#include <cstdint>

#include "controls/Dialog.h"

// Dialog 3253 "流量设置": the output and input limits of one transfer in
// KB/s. With one peer of an upload only the output limit is asked (the input
// field is disabled and stays at its lowest value); for a download both are.
// OK takes the values only when each lies between 10 and 1000.
class TrafficSettingsDialog : public Dialog {
 public:
  enum class Mode { OutputOnly, Both };
  struct Limits {
    int32_t input = 0;
    int32_t output = 0;
  };
  static constexpr int32_t kSpinLow = 10, kSpinHigh = 10000;
  static constexpr int32_t kLowest = 10, kHighest = 1000;
  static constexpr int32_t kStart = 50;
  static constexpr const char* kRangeMessage = "请输入一个介于 10 和 1000 之间的整数。";

  explicit TrafficSettingsDialog(Mode mode) : mode_(mode) {}
  // True on OK, with the limits.
  bool Ask(HWND owner, Limits& limits);
  bool Open(HWND owner);
  const Limits& Result() const { return limits_; }

 protected:
  bool OnInitDialog() override;
  bool OnCommand(int id, int code) override;

 private:
  // The field's value when it is a number in range; otherwise the user is
  // told, the field gets the focus, and the answer is false.
  bool ReadField(int id, int32_t& value);

  Mode mode_;
  Limits limits_;
};
