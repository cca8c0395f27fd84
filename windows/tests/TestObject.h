// What the tests' own COM objects share. TestObject: a reference count of
// one thread and QueryInterface for IUnknown, the object's interface and
// one more identifier (the event interface a sink stands for). DispatchObject
// adds IDispatch with no type information; names are unknown unless the
// object answers them itself.
#pragma once

#define WIN32_LEAN_AND_MEAN
#include <windows.h>
#include <oleauto.h>

namespace sonara::wintest {

template <class Interface>
class TestObject : public Interface {
 public:
  TestObject(const TestObject&) = delete;
  TestObject& operator=(const TestObject&) = delete;

  STDMETHODIMP QueryInterface(REFIID riid, void** object) override {
    if (riid == IID_IUnknown || riid == interfaceId_ || riid == alsoAnswers_) {
      *object = static_cast<Interface*>(this);
      AddRef();
      return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
  }
  STDMETHODIMP_(ULONG) AddRef() override { return ++references_; }
  STDMETHODIMP_(ULONG) Release() override {
    const ULONG left = --references_;
    if (left == 0) delete this;
    return left;
  }

 protected:
  explicit TestObject(const IID& interfaceId) : TestObject(interfaceId, interfaceId) {}
  TestObject(const IID& interfaceId, const IID& alsoAnswers) : interfaceId_(interfaceId), alsoAnswers_(alsoAnswers) {}
  virtual ~TestObject() = default;

 private:
  IID interfaceId_;
  IID alsoAnswers_;
  ULONG references_ = 1;
};

class DispatchObject : public TestObject<IDispatch> {
 public:
  STDMETHODIMP GetTypeInfoCount(UINT* count) override {
    *count = 0;
    return S_OK;
  }
  STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
  STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }

 protected:
  // `alsoAnswers`: the event interface the object receives calls for, if any.
  explicit DispatchObject(const IID& alsoAnswers = IID_IDispatch) : TestObject(IID_IDispatch, alsoAnswers) {}
};

}  // namespace sonara::wintest
