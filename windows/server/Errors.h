// Failures of the component as COM reports them: a failed HRESULT, and the
// thread's error information (number, description, source) for clients that
// ask for it through ISupportErrorInfo / GetErrorInfo.
#pragma once

#define WIN32_LEAN_AND_MEAN
#include <windows.h>
#include <oleauto.h>

#include <cstdint>
#include <new>
#include <stdexcept>
#include <string>

#include "AutomationError.h"

namespace sonara::com {

// The HRESULT of automation error `number`: 0x800A0000 + number.
constexpr HRESULT AutomationHResult(int32_t number) noexcept {
  return static_cast<HRESULT>(0x800A0000u | (static_cast<uint32_t>(number) & 0xFFFFu));
}

// Sets the thread's error information for `interfaceId` and returns `hr`.
HRESULT ReportError(HRESULT hr, const std::string& description, REFIID interfaceId);

// Runs `call`, a member of the component, and answers its outcome as COM
// does: S_OK, or the failure with its error information. Nothing escapes.
template <class Call>
HRESULT Guarded(REFIID interfaceId, Call&& call) noexcept {
  ::SetErrorInfo(0, nullptr);  // no stale error from an earlier call
  try {
    call();
    return S_OK;
  } catch (const AutomationError& e) {
    return ReportError(AutomationHResult(e.Number()), e.Description(), interfaceId);
  } catch (const std::bad_alloc&) {
    return ReportError(E_OUTOFMEMORY, "Out of memory", interfaceId);
  } catch (const std::exception& e) {
    return ReportError(E_FAIL, e.what(), interfaceId);
  } catch (...) {
    return ReportError(E_UNEXPECTED, "Unexpected failure", interfaceId);
  }
}

}  // namespace sonara::com
