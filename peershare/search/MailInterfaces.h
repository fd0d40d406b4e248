#pragma once

#include <cstdint>

// The interfaces between the plug-in and the client's mail plug-in
// ("Plugins\TvSendMail.dll"). Each is a table of operations built by its own
// side, so the order of the declarations is the binary contract; no
// destructor takes a slot.

// What the plug-in hands to the mail plug-in's "init": the mail plug-in
// calls its first operation when its window has closed.
class MailHolder {
 public:
  // slot 0
  virtual void Done(int32_t value) = 0;

 protected:
  ~MailHolder() = default;
};

// The mail plug-in's object, returned by "init".
class MailSender {
 public:
  // slot 0: opens the mail window for the user's number and account text
  // with the operator's three mail values; nonzero when the window is open.
  virtual int32_t Open(uint32_t user, const char* text, int32_t mailMaxCopy, const char* mailHashId,
                       const char* mailUrl) = 0;

 protected:
  ~MailSender() = default;
};

// The export "init"; null when the plug-in has no window to offer.
using MailPluginInit = MailSender* (*)(MailHolder* holder);
