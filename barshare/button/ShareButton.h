#pragma once

#include <memory>

#include "button/ShareWindow.h"
#include "button/ToolbarButtonBase.h"

// The toolbar's Share button.
class ShareButton : public ToolbarButtonBase {
 public:
  static const ButtonConfig kConfig;
  static const ButtonJobTable kJobs;

  ShareButton();

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override;
  HRESULT STDMETHODCALLTYPE Execute() override;
  int STDMETHODCALLTYPE OnTimer(UINT timerId) override;
  int STDMETHODCALLTYPE AcceptJob(int jobId) override;
  int STDMETHODCALLTYPE JobResult(int jobId) override;

  // The toolbar image of the Share icon, shared by every Share button of the process.
  static int imageIndex;

 private:
  // Made by the first share; its window goes when the page closes it. A
  // member, so it goes before the base lets go of the host and browser.
  std::unique_ptr<ShareWindow> shareWindow_;
};
