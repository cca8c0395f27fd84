#include "Errors.h"

#include <wrl/client.h>

#include "Text.h"

namespace sonara::com {

using Microsoft::WRL::ComPtr;

namespace {
constexpr char kErrorSource[] = "Sonara.clsMidi";
}

HRESULT ReportError(HRESULT hr, const std::string& description, REFIID interfaceId) {
  ComPtr<ICreateErrorInfo> create;
  if (FAILED(::CreateErrorInfo(&create))) return hr;
  const std::wstring text = WideFromUtf8(description);
  const std::wstring source = WideFromUtf8(kErrorSource);
  create->SetGUID(interfaceId);
  create->SetDescription(const_cast<LPOLESTR>(text.c_str()));
  create->SetSource(const_cast<LPOLESTR>(source.c_str()));
  ComPtr<IErrorInfo> info;
  if (SUCCEEDED(create.As(&info))) ::SetErrorInfo(0, info.Get());
  return hr;
}

}  // namespace sonara::com
