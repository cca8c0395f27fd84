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
#include "TypeInfoDispatch.h"

namespace sonara::com {

class CollectionObject final : public RefCounted, public TypeInfoDispatch<_Collection> {
 public:
  using Items = std::vector<ComVariant>;

  // A collection of texts.
  static HRESULT Create(const std::vector<std::string>& texts, _Collection** out);
  CollectionObject() : TypeInfoDispatch(IID__Collection) {}

  // IUnknown
  STDMETHODIMP QueryInterface(REFIID riid, void** object) override;
  STDMETHODIMP_(ULONG) AddRef() override { return AddReference(); }
  STDMETHODIMP_(ULONG) Release() override { return ReleaseReference(); }

  // _Collection
  STDMETHODIMP Item(VARIANT Index, VARIANT* Value) override;
  STDMETHODIMP Add(VARIANT Value) override;
  STDMETHODIMP get_Count(LONG* Count) override;
  STDMETHODIMP Remove(VARIANT Index) override;
  STDMETHODIMP get__NewEnum(IUnknown** Enum) override;

 private:
  // The 0-based position of a 1-based index, or an automation error.
  size_t Position(const VARIANT& index) const;

  // Shared with enumerators, which keep the items they walk alive; a
  // change makes a new vector, so an enumeration sees the items it began with.
  std::shared_ptr<const Items> items_ = std::make_shared<const Items>();
};

}  // namespace sonara::com
