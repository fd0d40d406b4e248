#pragma once

// A COM object of the tests' own with two interfaces of its own besides
// IUnknown, whose reference count the tests can read.
#include <windows.h>
#include <unknwn.h>

#include "win/QiTable.h"

// {6A2B0E51-3C1D-4F7A-9B52-0D6E8C41A001} and ...A002
const IID IID_IFirst = {0x6A2B0E51, 0x3C1D, 0x4F7A, {0x9B, 0x52, 0x0D, 0x6E, 0x8C, 0x41, 0xA0, 0x01}};
const IID IID_ISecond = {0x6A2B0E51, 0x3C1D, 0x4F7A, {0x9B, 0x52, 0x0D, 0x6E, 0x8C, 0x41, 0xA0, 0x02}};
// Answered by nothing.
const IID IID_IForeign = {0x6A2B0E51, 0x3C1D, 0x4F7A, {0x9B, 0x52, 0x0D, 0x6E, 0x8C, 0x41, 0xA0, 0x03}};

struct IFirst : public IUnknown {
  virtual int STDMETHODCALLTYPE First() = 0;
};
struct ISecond : public IUnknown {
  virtual int STDMETHODCALLTYPE Second() = 0;
};

// Lives on the test's stack: the count is only counted, never deletes.
class CountingObject : public IFirst, public ISecond {
 public:
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
    ++queries;
    static const win::QiEntry kInterfaces[] = {
        {&IID_IFirst, win::QiOffset<IFirst, CountingObject>()},
        {&IID_ISecond, win::QiOffset<ISecond, CountingObject>()},
        {nullptr, 0},
    };
    return win::QiSearch(this, kInterfaces, iid, out);
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(++references); }
  ULONG STDMETHODCALLTYPE Release() override { return static_cast<ULONG>(--references); }
  int STDMETHODCALLTYPE First() override { return 1; }
  int STDMETHODCALLTYPE Second() override { return 2; }

  LONG references = 0;
  int queries = 0;
};
