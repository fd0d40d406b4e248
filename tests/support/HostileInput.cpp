// The hostile-input harness's program: runs the registered targets (see
// HostileInput.h) on a thread with a 1 MiB stack, as the components' host
// threads have, with a watchdog for hangs and a check of the process's memory
// after every case.
#include "HostileInput.h"

#include <windows.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "ProcessMemory.h"
#include "win/Handles.h"

namespace hostile {
namespace {

struct Target {
  const char* name;
  Run run;
};

std::vector<Target>& Targets() {
  static std::vector<Target> targets;
  return targets;
}

uint64_t SplitMix(uint64_t& state) {
  uint64_t z = (state += 0x9E3779B97F4A7C15ull);
  z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
  z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
  return z ^ (z >> 31);
}

uint64_t NameHash(const char* name) {
  uint64_t hash = 1469598103934665603ull;
  for (; *name != 0; ++name) hash = (hash ^ static_cast<unsigned char>(*name)) * 1099511628211ull;
  return hash;
}

struct Options {
  uint64_t count = 300;
  uint64_t first = 0;
  uint64_t seed = 20261208;
  std::vector<std::string> targets;
  unsigned caseSeconds = 60;
  size_t memoryLimit = size_t{512} << 20;
  size_t growthLimit = size_t{96} << 20;
};

// What the crash filter and the watchdog report, prepared before each case
// so that reporting needs no memory and little stack.
char currentCase[256] = "no case running";
char currentFile[128] = "hostile-input.bin";
const std::string* recorded = nullptr;
std::atomic<uint64_t> caseStart{0};
std::atomic<bool> caseRunning{false};

void WriteError(const char* text) {
  DWORD written = 0;
  WriteFile(GetStdHandle(STD_ERROR_HANDLE), text, static_cast<DWORD>(std::strlen(text)), &written, nullptr);
}

LONG WINAPI OnCrash(EXCEPTION_POINTERS* exception) {
  char line[64];
  std::snprintf(line, sizeof line, "CRASH (exception 0x%08lx) in ",
                static_cast<unsigned long>(exception->ExceptionRecord->ExceptionCode));
  WriteError(line);
  WriteError(currentCase);
  WriteError("\n");
  TerminateProcess(GetCurrentProcess(), 3);
  return EXCEPTION_EXECUTE_HANDLER;
}

DWORD WINAPI Watchdog(void* context) {
  const auto* options = static_cast<const Options*>(context);
  for (;;) {
    Sleep(250);
    if (caseRunning && GetTickCount64() - caseStart > options->caseSeconds * 1000ull) {
      WriteError("HANG (no end within the time limit) in ");
      WriteError(currentCase);
      WriteError("\n");
      TerminateProcess(GetCurrentProcess(), 4);
    }
  }
}

size_t PrivateBytes() { return ProcessMemory::Read().now; }

bool Parse(int argc, char** argv, Options& options) {
  for (int i = 1; i < argc; ++i) {
    std::string arg = argv[i];
    bool hasValue = i + 1 < argc;
    if (arg == "--count" && hasValue) {
      options.count = std::strtoull(argv[++i], nullptr, 10);
    } else if (arg == "--seed" && hasValue) {
      options.seed = std::strtoull(argv[++i], nullptr, 10);
    } else if (arg == "--case" && hasValue) {
      options.first = std::strtoull(argv[++i], nullptr, 10);
      options.count = 1;
    } else if (arg == "--target" && hasValue) {
      options.targets.push_back(argv[++i]);
    } else if (arg == "--case-seconds" && hasValue) {
      options.caseSeconds = static_cast<unsigned>(std::strtoul(argv[++i], nullptr, 10));
    } else if (arg == "--memory-mib" && hasValue) {
      options.memoryLimit = static_cast<size_t>(std::strtoull(argv[++i], nullptr, 10)) << 20;
    } else {
      return false;
    }
  }
  return true;
}

bool Selected(const Options& options, const char* name) {
  if (options.targets.empty()) return true;
  for (const std::string& wanted : options.targets)
    if (wanted == name) return true;
  return false;
}

struct RunContext {
  const Options* options;
  int failures;
};

}  // namespace

Input::Input(uint64_t seed, uint64_t caseNumber) : state_(seed), case_(caseNumber) {}

uint64_t Input::Next() { return SplitMix(state_); }

size_t Input::Below(size_t bound) { return bound == 0 ? 0 : static_cast<size_t>(Next() % bound); }

bool Input::Chance(unsigned percent) { return Below(100) < percent; }

size_t Input::Length(size_t most) {
  // Short inputs find most faults; now and then a long one.
  switch (Below(4)) {
    case 0: return Below(std::min<size_t>(most, 8) + 1);
    case 1: return Below(std::min<size_t>(most, 64) + 1);
    case 2: return Below(std::min<size_t>(most, 1024) + 1);
    default: return Below(most + 1);
  }
}

std::string Input::Bytes(size_t most) {
  std::string bytes(Length(most), '\0');
  for (char& byte : bytes) byte = static_cast<char>(Next());
  return bytes;
}

std::string Input::CodePageText(size_t most) {
  std::string text;
  size_t length = Length(most);
  while (text.size() < length) {
    switch (Below(10)) {
      case 0:
      case 1:
        // A GB2312 character: lead and trail bytes from 0xA1 to 0xFE.
        text += static_cast<char>(0xB0 + Below(0x48));
        text += static_cast<char>(0xA1 + Below(0x5E));
        break;
      case 2: text += static_cast<char>(Below(0x20)); break;
      case 3: text += static_cast<char>(0x80 + Below(0x80)); break;
      case 4: text += "<>\"&?'=/ \t"[Below(10)]; break;
      default: text += static_cast<char>(0x20 + Below(0x5F));
    }
  }
  return text;
}

std::wstring Input::WideText(size_t most) {
  std::wstring text;
  size_t length = Length(most);
  while (text.size() < length) {
    switch (Below(10)) {
      case 0: text += static_cast<wchar_t>(0x4E00 + Below(0x5000)); break;
      case 1: text += static_cast<wchar_t>(1 + Below(0xFFFE)); break;
      case 2: text += static_cast<wchar_t>(0xD800 + Below(0x800)); break;
      case 3: text += L"./:\\@%#?&=+-_"[Below(13)]; break;
      case 4: text += static_cast<wchar_t>(L'0' + Below(10)); break;
      default: text += static_cast<wchar_t>(0x20 + Below(0x5F));
    }
  }
  return text;
}

std::string Input::Pick(const std::vector<std::string>& choices) {
  return choices.empty() ? std::string() : choices[Below(choices.size())];
}

std::string Input::Mutate(const std::string& sample, const std::vector<std::string>& tokens) {
  std::string text = sample;
  size_t edits = 1 + Below(8);
  for (size_t edit = 0; edit < edits; ++edit) {
    size_t at = Below(text.size() + 1);
    switch (Below(7)) {
      case 0:
        if (!text.empty()) text[Below(text.size())] ^= static_cast<char>(1u << Below(8));
        break;
      case 1: text.insert(at, Bytes(16)); break;
      case 2: text.erase(at, Length(64)); break;
      case 3: {
        std::string piece = text.substr(Below(text.size() + 1), Length(256));
        size_t times = 1 + Below(Chance(10) ? 2000 : 4);
        std::string repeated;
        for (size_t i = 0; i < times && repeated.size() < (1u << 20); ++i) repeated += piece;
        text.insert(at, repeated);
        break;
      }
      case 4: text.resize(at); break;
      default: text.insert(at, Pick(tokens));
    }
  }
  return text;
}

void Input::Record(const std::string& bytes) { recorded = &bytes; }

Registration::Registration(const char* name, Run run) { Targets().push_back({name, run}); }

void Fail(const std::string& message) {
  std::fflush(stdout);
  std::fprintf(stderr, "FAILED in %s: %s\n", currentCase, message.c_str());
  if (recorded != nullptr) {
    if (FILE* file = std::fopen(currentFile, "wb")) {
      std::fwrite(recorded->data(), 1, recorded->size(), file);
      std::fclose(file);
      std::fprintf(stderr, "input written to %s\n", currentFile);
    }
  }
  std::fflush(stderr);
  ExitProcess(1);
}

// Runs on the 1 MiB thread.
static DWORD WINAPI RunTargets(void* context) {
  auto* run = static_cast<RunContext*>(context);
  const Options& options = *run->options;
  for (const Target& target : Targets()) {
    if (!Selected(options, target.name)) continue;
    uint64_t start = GetTickCount64();
    size_t before = PrivateBytes(), settled = before, peak = before;
    for (uint64_t number = options.first; number < options.first + options.count; ++number) {
      uint64_t mix = options.seed ^ NameHash(target.name) ^ (number * 0xD1B54A32D192ED03ull);
      Input input(SplitMix(mix), number);
      std::snprintf(currentCase, sizeof currentCase, "%s case %llu (--seed %llu --target %s --case %llu)",
                    target.name, static_cast<unsigned long long>(number), static_cast<unsigned long long>(options.seed),
                    target.name, static_cast<unsigned long long>(number));
      std::snprintf(currentFile, sizeof currentFile, "hostile-%s-%llu.bin", target.name,
                    static_cast<unsigned long long>(number));
      recorded = nullptr;
      caseStart = GetTickCount64();
      caseRunning = true;
      target.run(input);
      caseRunning = false;
      size_t now = PrivateBytes();
      peak = std::max(peak, now);
      if (now > options.memoryLimit) {
        Fail("the process holds " + std::to_string(now >> 20) + " MiB, more than the limit of " +
             std::to_string(options.memoryLimit >> 20) + " MiB");
      }
      if (number - options.first == options.count / 10) settled = now;
    }
    size_t after = PrivateBytes();
    if (options.count >= 100 && after > settled + options.growthLimit) {
      Fail("memory kept growing: " + std::to_string(settled >> 20) + " MiB after a tenth of the cases, " +
           std::to_string(after >> 20) + " MiB at the end");
    }
    std::printf("%-20s %8llu cases from seed %llu: passed in %.1f s; private memory %u MiB before, %u MiB at most\n",
                target.name, static_cast<unsigned long long>(options.count),
                static_cast<unsigned long long>(options.seed), (GetTickCount64() - start) / 1000.0,
                static_cast<unsigned>(before >> 20), static_cast<unsigned>(peak >> 20));
    std::fflush(stdout);
  }
  return 0;
}

}  // namespace hostile

int main(int argc, char** argv) {
  hostile::Options options;
  if (!hostile::Parse(argc, argv, options)) {
    std::printf(
        "usage: %s [--count N] [--seed S] [--target NAME]... [--case K] [--case-seconds T] [--memory-mib M]\n"
        "targets:",
        argv[0]);
    for (const auto& target : hostile::Targets()) std::printf(" %s", target.name);
    std::printf("\n");
    return 2;
  }
  SetUnhandledExceptionFilter(&hostile::OnCrash);
  // A failing test must end, not wait in a dialog.
  SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX);
  win::UniqueThread watchdog(CreateThread(nullptr, 0, &hostile::Watchdog, &options, 0, nullptr));
  hostile::RunContext context{&options, 0};
  win::UniqueThread worker(CreateThread(nullptr, 1 << 20, &hostile::RunTargets, &context,
                                        STACK_SIZE_PARAM_IS_A_RESERVATION, nullptr));
  if (!worker) return 5;
  WaitForSingleObject(worker.Get(), INFINITE);
  DWORD code = 1;
  GetExitCodeThread(worker.Get(), &code);
  return static_cast<int>(code);
}
