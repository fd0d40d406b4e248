#pragma once

// Driving the browser control double from tests: its navigations and log as
// plain values, script calls with their arguments in the order a page writes
// them, and the double of a given window.
#include <windows.h>
#include <oleauto.h>

#include <gtest/gtest.h>

#include <initializer_list>
#include <string>
#include <vector>

#include "BrowserDouble.h"
#include "BrowserDoubleRecords.h"
#include "ScriptCall.h"
#include "BrowserDoubleRegistration.h"
#include "win/ComPtr.h"

// The double as the browser control of a whole test: registered while it runs.
class BrowserDoubleTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_EQ(registration_.Result(), S_OK); }

  BrowserDoubleRegistration registration_;
};
