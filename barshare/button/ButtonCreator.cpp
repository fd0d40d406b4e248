#include "button/ButtonCreator.h"

#include <new>

#include "button/ShareButton.h"
#include "win/ComPtr.h"

HRESULT ButtonCreator::InitializeObjects(IUnknown* host) { return CreateButtons(host); }

HRESULT ButtonCreator::CreateButtons(IUnknown* host) {
  win::ComPtr<ShareButton> button;
  button.Attach(new (std::nothrow) ShareButton());
  if (!button) return 0;
  button->Initialize(host);
  return 0;
}
