#pragma once

#include <cstddef>
#include <string>

// Element names are few and repeat: every element that bears one shares a
// single copy, kept for the life of the process. Documents from peers may be
// made of ever new names, so the pool stops taking names at a fixed size;
// an element with a name outside it keeps a copy of its own.
namespace XmlNamePool {

constexpr size_t kMaxNames = 4096;
constexpr size_t kMaxNameBytes = 128;

// The shared copy of the name, or null when the pool takes no more names.
// Safe on any thread. Throws std::bad_alloc.
const std::string* Find(const char* name, size_t size);

}  // namespace XmlNamePool
