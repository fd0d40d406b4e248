#pragma once

#include <cstdint>

// The query ids of the process: every results page that takes a new query
// gets the next one (1, 2, ...).
class QueryIds {
 public:
  static uint32_t Next();
};
