#pragma once

#include <windows.h>

#include <string>

// A dialog built from a resource template of the current resource module,
// modeless (Create) or modal (DoModal). Derived classes handle what they need;
// the window is destroyed with the object at the latest.
class Dialog {
 public:
  Dialog() = default;
  virtual ~Dialog();
  Dialog(const Dialog&) = delete;
  Dialog& operator=(const Dialog&) = delete;

  bool Create(int templateId, HWND parent);
  INT_PTR DoModal(int templateId, HWND parent);
  void Destroy();

  HWND Handle() const { return hwnd_; }
  HWND Item(int id) const { return hwnd_ != nullptr ? GetDlgItem(hwnd_, id) : nullptr; }

  // Small typed helpers over the dialog's controls; a missing control is ignored.
  void ShowItem(int id, bool show) const;
  void EnableItem(int id, bool enable) const;
  void CheckItem(int id, bool check) const;
  bool IsItemChecked(int id) const;
  void SetItemText(int id, const std::string& text) const;
  std::string ItemText(int id) const;

 protected:
  virtual bool OnInitDialog() { return true; }
  // True when the command was handled.
  virtual bool OnCommand(int /*id*/, int /*code*/) { return false; }
  virtual void OnDestroy() {}
  // A control's notification; return true and set the answer when handled.
  virtual bool OnNotify(const NMHDR& /*header*/, LRESULT& /*answer*/) { return false; }
  // Any other message; return true and set result when handled.
  virtual bool OnMessage(UINT /*message*/, WPARAM /*wParam*/, LPARAM /*lParam*/, INT_PTR& /*result*/) {
    return false;
  }
  // The dialog's background; null keeps the system's.
  virtual HBRUSH Background() const { return nullptr; }
  void EndModal(INT_PTR result);

 private:
  static INT_PTR CALLBACK Procedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
  INT_PTR Dispatch(UINT message, WPARAM wParam, LPARAM lParam);
  INT_PTR ColorStatic(HDC dc, HWND control);

  HWND hwnd_ = nullptr;
  bool modal_ = false;
};

// Sent by a dialog to a static control before it paints it: a control that
// handles it sets its text colour on the device context (wParam) and returns
// nonzero.
constexpr UINT kReflectColorStatic = WM_APP + 0x3A1;

std::string WindowText(HWND window);
