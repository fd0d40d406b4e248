#include "button/ShareButton.h"

#include "button/ButtonResources.h"
#include "button/ShareCommand.h"
#include "win/QiTable.h"

namespace {
const ButtonJobEntry kShareJobs[] = {{1, 17509}, {0, 0}};
}  // namespace

const ButtonConfig ShareButton::kConfig = {
    50,  // kind
    68,  // command id
    64,  // style
    4,   // state
    kButtonHasCaption | kButtonAnyNonzeroState,
    L"Share",
    IDI_SHARE_BUTTON,
    IDS_SHARE_CAPTION,
    IDS_SHARE_TOOLTIP,
    IDS_SHARE_DESCRIPTION,
};

const ButtonJobTable ShareButton::kJobs = {17508, 3000, kShareJobs};

int ShareButton::imageIndex = -1;

ShareButton::ShareButton() : ToolbarButtonBase(kConfig, &kJobs, &imageIndex) {}

HRESULT ShareButton::QueryInterface(REFIID iid, void** out) {
  // The marker only tells the toolbar which button this is; it is answered
  // with the button's main interface. Everything else the base answers.
  static const win::QiEntry kInterfaces[] = {
      {&IID_IShareButtonMarker, win::QiOffset<IToolbarButton, ShareButton>()},
      {nullptr, 0},
  };
  if (SUCCEEDED(win::QiSearch(this, kInterfaces, iid, out))) return S_OK;
  return ToolbarButtonBase::QueryInterface(iid, out);
}

HRESULT ShareButton::Execute() {
  ShareCommand command(Module(), Host(), ToolbarWindow(), Browser(), shareWindow_);
  return command.Execute();
}

int ShareButton::OnTimer(UINT timerId) {
  if (LOWORD(timerId) == 0) return 1;
  return ToolbarButtonBase::OnTimer(timerId);
}

int ShareButton::AcceptJob(int) { return 0; }

int ShareButton::JobResult(int) { return 0; }
