#pragma once

#include "controls/Dialog.h"

// A child dialog that shares its parent's background brush (not owned).
class Panel : public Dialog {
 public:
  void SetBackground(HBRUSH brush) { brush_ = brush; }

 protected:
  HBRUSH Background() const override { return brush_; }

 private:
  HBRUSH brush_ = nullptr;
};
