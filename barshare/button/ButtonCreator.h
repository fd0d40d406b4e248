#pragma once

#include "button/ServerModule.h"
#include "button/ToolbarInterfaces.h"

// The one registered class: makes the toolbar's buttons for a host.
class ButtonCreator : public IButtonCreator, private CountedObject {
 public:
  ButtonCreator() = default;
  virtual ~ButtonCreator() = default;

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override;
  ULONG STDMETHODCALLTYPE AddRef() override;
  ULONG STDMETHODCALLTYPE Release() override;
  HRESULT STDMETHODCALLTYPE InitializeObjects(IUnknown* host) override;

  // Creates the Share button and has it join the host's toolbar; the host
  // keeps it alive. Always 0: a host without a toolbar simply gets no button.
  static HRESULT CreateButtons(IUnknown* host);

 private:
  LONG references_ = 1;
};
