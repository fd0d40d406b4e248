#include "search/SequenceNumbers.h"

uint32_t SequenceNumbers::Next(int32_t fileType, int32_t scope) {
  if (fileType < 0 || fileType >= kFileTypes) fileType = 0;
  if (scope < 0 || scope >= kScopes) scope = 0;
  uint32_t& counter = counters_[static_cast<size_t>(fileType * kScopes + scope)];
  uint32_t number = counter + 1;
  counter = number >= kLast ? 0 : number;
  return number;
}
