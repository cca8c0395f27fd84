// The list object that ListDevices returns (_Collection): items counted from
// 1, reachable by Item (the default member), Count, Add, Remove, and For
// Each through _NewEnum.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "ComObject.h"
#include "ComVariant.h"
#include "MidiTypeLib.h"

namespace sonara::com {

class CollectionObject final : public RefCounted, public _Collection {
 public:
  using Items = std::vector<ComVariant>;

  // A collection of texts.
  static HRESULT Create(const std::vector<std::string>& texts, _Collection** out);
  CollectionObject() = default;

  // IUnknown
  STDMETHODIMP QueryInterface(REFIID riid, void** object) override;
  STDMETHODIMP_(ULONG) AddRef() override { return AddReference(); }
  STDMETHODIMP_(ULONG) Release() override { return ReleaseReference(); }

  // IDispatch, through the type library
  STDMETHODIMP GetTypeInfoCount(UINT* count) override;
  STDMETHODIMP GetTypeInfo(UINT index, LCID lcid, ITypeInfo** info) override;
  STDMETHODIMP GetIDsOfNames(REFIID riid, LPOLESTR* names, UINT count, LCID lcid, DISPID* ids) override;
  STDMETHODIMP Invoke(DISPID id, REFIID riid, LCID lcid, WORD flags, DISPPARAMS* params, VARIANT* result,
                      EXCEPINFO* exception, UINT* argError) override;

  // _Collection
  STDMETHODIMP Item(VARIANT Index, VARIANT* Value) override;
  STDMETHODIMP Add(VARIANT Value) override;
  STDMETHODIMP get_Count(LONG* Count) override;
  STDMETHODIMP Remove(VARIANT Index) override;
  STDMETHODIMP get__NewEnum(IUnknown** Enum) override;

 private:
  // The 0-based position of a 1-based index, or an automation error.
  size_t Position(const VARIANT& index) const;
  HRESULT EnsureTypeInfo();

  // Shared with enumerators, which keep the items they walk alive; a
  // change makes a new vector, so an enumeration sees the items it began with.
  std::shared_ptr<const Items> items_ = std::make_shared<const Items>();
  ComPtr<ITypeInfo> typeInfo_;
};

}  // namespace sonara::com
