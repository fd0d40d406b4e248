// The main() of the test programs. Once the results are written the program
// ends without the process teardown: under 32-bit Wine that teardown now and
// then hangs after every test has passed, which would turn a passed run into
// a time-out. The libraries' own unload is tested through FreeLibrary.
#include <windows.h>

#include <cstdio>

#include <gtest/gtest.h>

int main(int argc, char** argv) {
  testing::InitGoogleTest(&argc, argv);
  const int result = RUN_ALL_TESTS();
  std::fflush(nullptr);
  TerminateProcess(GetCurrentProcess(), static_cast<UINT>(result));
  return result;
}
