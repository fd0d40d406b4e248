#pragma once

#include "webslice/WebSliceWindow.h"

// The web slice window that shows the service's share page: it keeps the
// page's outer border, sets the signed-in account's cookies whenever the
// share page has loaded, and goes away when the page closes itself.
class ShareWindow : public WebSliceWindow {
 public:
  static constexpr int kWidth = 460;
  static constexpr int kHeight = 402;

  ShareWindow();
  ~ShareWindow() override;

  HRESULT OnBrowserEvent(DISPID id, DISPPARAMS* arguments) override;

 private:
  void SetAccountCookies(const DISPPARAMS* arguments);
};
