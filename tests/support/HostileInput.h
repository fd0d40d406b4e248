#pragma once

// The hostile-input harness: each component has one program that feeds seeded
// random and mutated inputs to every parser it has. A parser joins with one
// source file that defines a target:
//
//   HOSTILE_TARGET(xml_reader) {
//     std::string text = input.Mutate(kSample, kTokens);
//     ...
//     HOSTILE_CHECK(reread->Parse(saved), "a saved document reads back");
//   }
//
// The program runs every target (or those named by --target) for --count
// cases from --seed, each case with a seed of its own so that one case can be
// run again alone (--case). It checks that no input crashes the program,
// that no case runs longer than the time limit, that the process's memory
// stays within its limit and does not keep growing, and whatever the target
// checks (round trips, invariants). The first failure ends the run with the
// target, case and seed that reproduce it.

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

namespace hostile {

// The random source of one case, with the shapes parsers choke on.
class Input {
 public:
  Input(uint64_t seed, uint64_t caseNumber);

  uint64_t Next();
  // A number in [0, bound); 0 when bound is 0.
  size_t Below(size_t bound);
  bool Chance(unsigned percent);
  // A length up to `most`, mostly small ones.
  size_t Length(size_t most);
  // The case's number within its target (0, 1, ...): targets use it to make
  // sure every rare shape comes up in a short run.
  uint64_t CaseNumber() const { return case_; }

  std::string Bytes(size_t most);
  // Text of the system code page: ASCII, double-byte characters and now and
  // then a byte that belongs to neither.
  std::string CodePageText(size_t most);
  std::wstring WideText(size_t most);
  std::string Pick(const std::vector<std::string>& choices);
  // `sample` with a few random edits: bits flipped, bytes inserted, removed
  // or repeated, pieces cut off, and `tokens` put in here and there.
  std::string Mutate(const std::string& sample, const std::vector<std::string>& tokens);

  // Keeps `bytes` as the case's input: when the case fails, they are written
  // to "hostile-<target>-<case>.bin" in the current folder.
  void Record(const std::string& bytes);

 private:
  uint64_t state_;
  uint64_t case_ = 0;
};

using Run = void (*)(Input& input);

// Registers a target at program start (see HOSTILE_TARGET).
struct Registration {
  Registration(const char* name, Run run);
};

// Ends the run with `message` for the case now running (and its recorded input).
[[noreturn]] void Fail(const std::string& message);

}  // namespace hostile

#define HOSTILE_TARGET(name)                                                       \
  static void HostileTarget_##name(hostile::Input& input);                         \
  static const hostile::Registration hostileRegistration_##name(#name, &HostileTarget_##name); \
  static void HostileTarget_##name(hostile::Input& input)

#define HOSTILE_CHECK(condition, what)                                             \
  do {                                                                             \
    if (!(condition)) hostile::Fail(std::string("property failed: ") + (what) + " (" #condition ")"); \
  } while (0)
