#pragma once

#include <windows.h>

// Bits of ButtonConfig::flags.
enum ButtonFlag : UINT32 {
  kButtonHasCaption = 1u << 0,         // the caption provider answers
  kButtonAnyNonzeroState = 1u << 1,    // AcceptsState takes any nonzero value, else only 1
  kButtonFollowsBrowser = 1u << 2,     // browser events are followed while shown
  kButtonAsksAccount = 1u << 3,        // the signed-in account is asked for at initialisation
  kButtonOptionSet = 1u << 4,          // reported by the option interface
};

// The constant description of one toolbar button, copied into each object.
struct ButtonConfig {
  UINT8 kind;
  UINT8 commandId;
  UINT8 style;
  UINT8 state;
  UINT32 flags;
  const wchar_t* settingsName;  // per-account settings key of the button
  UINT32 iconId;
  UINT32 captionId;
  UINT32 tooltipId;
  UINT32 descriptionId;
};

// One periodic job: when it has run, `command` is posted to the toolbar.
struct ButtonJobEntry {
  UINT16 jobId;  // 0 ends the list
  UINT16 command;
};

// The job timer of a button and the jobs it may run.
struct ButtonJobTable {
  UINT16 timerId;
  UINT32 periodMs;
  const ButtonJobEntry* jobs;

  // The entry of jobId, or null.
  const ButtonJobEntry* Find(int jobId) const {
    for (const ButtonJobEntry* entry = jobs; entry != nullptr && entry->jobId != 0; ++entry) {
      if (entry->jobId == jobId) return entry;
    }
    return nullptr;
  }
};
