#pragma once

#include <windows.h>

#include <string>

// Turns a static control (with SS_NOTIFY) of a Dialog into a link: blue text,
// a hand cursor, and a click opens the address with the shell verb "open".
class HyperLink {
 public:
  HyperLink() = default;
  ~HyperLink();
  HyperLink(const HyperLink&) = delete;
  HyperLink& operator=(const HyperLink&) = delete;

  bool Attach(HWND control, const std::string& address);
  void Detach();
  const std::string& Address() const { return address_; }

 private:
  static LRESULT CALLBACK Procedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                    DWORD_PTR data);

  HWND control_ = nullptr;
  std::string address_;
};
