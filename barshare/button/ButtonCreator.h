#pragma once

#include "button/SingleInterfaceObject.h"
#include "button/ToolbarInterfaces.h"

// The one registered class: makes the toolbar's buttons for a host.
class ButtonCreator : public SingleInterfaceObject<IButtonCreator, IID_IButtonCreator> {
 public:
  HRESULT STDMETHODCALLTYPE InitializeObjects(IUnknown* host) override;

  // Creates the Share button and has it join the host's toolbar; the host
  // keeps it alive. Always 0: a host without a toolbar simply gets no button.
  static HRESULT CreateButtons(IUnknown* host);
};
