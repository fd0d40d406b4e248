#pragma once

// Calls an object's operation by its slot number, as a client built by
// another compiler does: it knows only the table layout and the calling
// convention. On i686 the conventions differ in where `this` goes and in who
// removes the arguments, so a plain function pointer (cdecl: `this` on the
// stack, the caller pops) breaks both:
//   thiscall: `this` in ECX, the arguments on the stack, the callee pops them
//             (the C++ interfaces of the peer-to-peer client);
//   stdcall:  `this` as the first stack argument, the callee pops everything
//             (COM interfaces and WINAPI exports).
// On x86_64 there is one convention and both calls are the same.
#include <cstdint>
#include <vector>

namespace slot_call {

inline void* TableEntry(const void* object, int slot) {
  return (*static_cast<void* const* const*>(object))[slot];
}

template <typename Result, typename Object, typename... Args>
Result ThisCall(Object* object, int slot, Args... args) {
  using Method = Result(__thiscall*)(Object*, Args...);
  return reinterpret_cast<Method>(TableEntry(object, slot))(object, args...);
}

template <typename Result, typename Object, typename... Args>
Result StdCall(Object* object, int slot, Args... args) {
  using Method = Result(__stdcall*)(Object*, Args...);
  return reinterpret_cast<Method>(TableEntry(object, slot))(object, args...);
}

#if defined(__i386__)
// A pointer as one stack word.
inline uint32_t Word(const void* pointer) { return static_cast<uint32_t>(reinterpret_cast<uintptr_t>(pointer)); }

// Pushes `words` (the first one last, so it ends up on top), puts `ecx` in
// ECX, calls `function` and returns how far the stack pointer ended up above
// (positive) or below (negative) where it was before the pushes: 0 when the
// callee popped exactly what was pushed. The calling function's own stack
// handling cannot blur the measure: the pushes, the call and both readings of
// ESP happen in one piece of assembly.
__attribute__((noinline)) inline int32_t StackDrift(const void* function, const void* ecx,
                                                    const std::vector<uint32_t>& words) {
  const uint32_t* top = words.data();
  uint32_t count = static_cast<uint32_t>(words.size());
  int32_t drift;
  asm volatile(
      "movl %%esp, %%edi\n\t"
      "1:\n\t"
      "testl %%edx, %%edx\n\t"
      "jz 2f\n\t"
      "pushl -4(%%esi,%%edx,4)\n\t"
      "decl %%edx\n\t"
      "jmp 1b\n"
      "2:\n\t"
      "call *%%ebx\n\t"
      "movl %%esp, %%eax\n\t"
      "subl %%edi, %%eax\n\t"
      "movl %%edi, %%esp\n\t"
      : "=a"(drift), "+d"(count), "+S"(top), "+c"(ecx)
      : "b"(function)
      : "edi", "memory", "cc");
  return drift;
}

// The drift of a thiscall through slot `slot`: `object` in ECX, `words` the
// arguments.
inline int32_t ThisCallDrift(const void* object, int slot, const std::vector<uint32_t>& words) {
  return StackDrift(TableEntry(object, slot), object, words);
}

// The drift of a stdcall through slot `slot`: `object` first on the stack,
// then `words`.
inline int32_t StdCallDrift(const void* object, int slot, const std::vector<uint32_t>& words) {
  std::vector<uint32_t> all{Word(object)};
  all.insert(all.end(), words.begin(), words.end());
  return StackDrift(TableEntry(object, slot), object, all);
}
#endif

}  // namespace slot_call
