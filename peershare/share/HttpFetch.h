#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "share/WebAddress.h"

// One GET from the operator's server through WinINet, with the agent name
// and the two extra headers the server expects. Only a complete answer with
// status 200 counts.
class HttpFetch {
 public:
  static constexpr const char* kAgent = "TEAR - MFC Sample App";
  static constexpr const char* kHeaders = "Accept: text/*\r\nUser-Agent: Tovak\r\n";

  enum class Outcome {
    Ok,
    NoConnection,  // no session, connection or answer
    NotOk,         // a status other than 200
    TooLarge,      // more than the caller's limit
    Incomplete,    // fewer bytes than the server announced
  };
  struct Result {
    Outcome outcome = Outcome::NoConnection;
    uint32_t status = 0;
    bool Ok() const { return outcome == Outcome::Ok; }
  };

  // The body of `path` on `server`; `body` stays empty unless the result is Ok.
  static Result Get(const WebAddress& server, const std::string& path, size_t maxBytes, std::string& body);
};
