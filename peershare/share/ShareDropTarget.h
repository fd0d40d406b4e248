#pragma once

#include <windows.h>
#include <ole2.h>

#include <atomic>

class SharePage;

// The drop target of the share page's share tree and file list: what is
// dragged over them goes to the page.
class ShareDropTarget : public IDropTarget {
 public:
  // Reference count 1, held by the page.
  ShareDropTarget(SharePage& page, HWND window) : page_(page), window_(window) {}

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override;
  ULONG STDMETHODCALLTYPE AddRef() override;
  ULONG STDMETHODCALLTYPE Release() override;
  HRESULT STDMETHODCALLTYPE DragEnter(IDataObject* data, DWORD keys, POINTL point, DWORD* effect) override;
  HRESULT STDMETHODCALLTYPE DragOver(DWORD keys, POINTL point, DWORD* effect) override;
  HRESULT STDMETHODCALLTYPE DragLeave() override;
  HRESULT STDMETHODCALLTYPE Drop(IDataObject* data, DWORD keys, POINTL point, DWORD* effect) override;

 private:
  virtual ~ShareDropTarget() = default;

  SharePage& page_;
  HWND window_;
  bool acceptable_ = false;
  std::atomic<ULONG> references_{1};
};
