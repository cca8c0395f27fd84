#include "TestSupport.h"

#include <filesystem>
#include <fstream>

namespace sonara::wintest {

std::string HResultText(HRESULT hr) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%08lX", static_cast<unsigned long>(hr));
  return text;
}

Value Value::I2(short x) {
  Value v;
  V_VT(&v.v_) = VT_I2;
  V_I2(&v.v_) = x;
  return v;
}
Value Value::I4(long x) {
  Value v;
  V_VT(&v.v_) = VT_I4;
  V_I4(&v.v_) = x;
  return v;
}
Value Value::Text(const std::string& s) {
  Value v;
  const std::wstring w = Wide(s);
  V_VT(&v.v_) = VT_BSTR;
  V_BSTR(&v.v_) = ::SysAllocStringLen(w.data(), static_cast<UINT>(w.size()));
  return v;
}
Value Value::Bool(bool b) {
  Value v;
  V_VT(&v.v_) = VT_BOOL;
  V_BOOL(&v.v_) = b ? VARIANT_TRUE : VARIANT_FALSE;
  return v;
}

std::string Value::AsText() const {
  VARIANT t;
  ::VariantInit(&t);
  if (FAILED(::VariantChangeType(&t, const_cast<VARIANT*>(&v_), 0, VT_BSTR))) return {};
  std::string s = Utf8(V_BSTR(&t));
  ::VariantClear(&t);
  return s;
}

long Value::AsLong() const {
  VARIANT t;
  ::VariantInit(&t);
  if (V_VT(&v_) == VT_EMPTY || FAILED(::VariantChangeType(&t, const_cast<VARIANT*>(&v_), 0, VT_I4))) return -99999;
  return V_I4(&t);
}

CallResult Call(IDispatch* object, DISPID id, WORD flags, std::vector<Value> args) {
  CallResult r;
  std::vector<VARIANT> reversed;
  for (auto it = args.rbegin(); it != args.rend(); ++it) reversed.push_back(it->ref());
  DISPID putId = DISPID_PROPERTYPUT;
  DISPPARAMS params{reversed.data(), nullptr, static_cast<UINT>(reversed.size()), 0};
  if (flags & DISPATCH_PROPERTYPUT) {
    params.rgdispidNamedArgs = &putId;
    params.cNamedArgs = 1;
  }
  EXCEPINFO exception{};
  UINT argError = 0;
  r.hr = object->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, flags, &params, r.value.get(), &exception, &argError);
  if (r.hr == DISP_E_EXCEPTION) {
    r.scode = exception.scode;
    r.description = Utf8(exception.bstrDescription);
  }
  ::SysFreeString(exception.bstrDescription);
  ::SysFreeString(exception.bstrSource);
  ::SysFreeString(exception.bstrHelpFile);
  // The arguments still belong to `args`: the copies in `reversed` are shallow.
  return r;
}

DISPID IdOfName(IDispatch* object, const std::string& name) {
  std::wstring w = Wide(name);
  LPOLESTR names[] = {w.data()};
  DISPID id = DISPID_UNKNOWN;
  if (FAILED(object->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id))) return DISPID_UNKNOWN;
  return id;
}

Bytes operator+(Bytes a, const Bytes& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

Bytes Vlq(uint32_t v) {
  Bytes out{static_cast<uint8_t>(v & 0x7F)};
  while (v >>= 7) out.insert(out.begin(), static_cast<uint8_t>(0x80 | (v & 0x7F)));
  return out;
}

Bytes Header(uint16_t tracks, uint16_t division) {
  return Bytes{'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, 1, static_cast<uint8_t>(tracks >> 8), static_cast<uint8_t>(tracks),
               static_cast<uint8_t>(division >> 8), static_cast<uint8_t>(division)};
}

Bytes Track(const Bytes& events) {
  const auto n = static_cast<uint32_t>(events.size());
  return Bytes{'M', 'T', 'r', 'k', static_cast<uint8_t>(n >> 24), static_cast<uint8_t>(n >> 16),
               static_cast<uint8_t>(n >> 8), static_cast<uint8_t>(n)} +
         events;
}

Bytes Ev(uint32_t delta, std::initializer_list<uint8_t> bytes) { return Vlq(delta) + Bytes(bytes); }

Bytes Meta(uint32_t delta, uint8_t type, const std::string& data) {
  return Vlq(delta) + Bytes{0xFF, type} + Vlq(static_cast<uint32_t>(data.size())) + Bytes(data.begin(), data.end());
}

std::string WriteTempFile(const std::string& name, const Bytes& bytes) {
  wchar_t folder[MAX_PATH + 1] = {};
  ::GetTempPathW(MAX_PATH, folder);
  const std::string path = Utf8(folder) + name;
  // Through the wide name: the narrow calls use the ANSI code page, not UTF-8.
  std::ofstream out(std::filesystem::path(Wide(path)), std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  return path;
}

}  // namespace sonara::wintest
