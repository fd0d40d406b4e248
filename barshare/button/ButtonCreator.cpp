#include "button/ButtonCreator.h"

#include <new>

#include "button/ShareButton.h"

HRESULT ButtonCreator::InitializeObjects(IUnknown* host) { return CreateButtons(host); }

HRESULT ButtonCreator::CreateButtons(IUnknown* host) {
  ShareButton* button = new (std::nothrow) ShareButton();
  if (button == nullptr) return 0;
  button->Initialize(host);
  button->Release();
  return 0;
}
