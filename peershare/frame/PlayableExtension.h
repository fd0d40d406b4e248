#pragma once

#include <string_view>

// Whether the player plays a file of this name: its text from the last "."
// is one of the media extensions, in any case.
bool IsPlayableName(std::string_view fileName);
