#pragma once

#include <windows.h>

#include <string>

#include "button/ToolbarInterfaces.h"

// Who is signed in to the toolbar's messaging account, as its account
// service (host service 195) answers.
struct AccountLogin {
  int result = 0;  // GetLoginInfo's answer: nonzero when someone is signed in
  int number = 0;
  std::wstring key;

  // Asks host's account service, giving it a key buffer of keyChars
  // characters. False when the host offers no account service.
  bool Query(IToolbarHost* host, int keyChars);
  // The same through any interface of the host.
  bool Query(IUnknown* host, int keyChars);
};
