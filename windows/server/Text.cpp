#include "Text.h"

namespace sonara::com {

std::string Utf8FromWide(const wchar_t* text, size_t length) {
  if (text == nullptr || length == 0) return {};
  const int wide = static_cast<int>(length);
  const int n = ::WideCharToMultiByte(CP_UTF8, 0, text, wide, nullptr, 0, nullptr, nullptr);
  std::string utf8(static_cast<size_t>(n > 0 ? n : 0), '\0');
  if (n > 0) ::WideCharToMultiByte(CP_UTF8, 0, text, wide, utf8.data(), n, nullptr, nullptr);
  return utf8;
}

std::string Utf8FromBstr(BSTR text) { return Utf8FromWide(text, text ? ::SysStringLen(text) : 0); }

std::wstring WideFromUtf8(const std::string& text) {
  if (text.empty()) return {};
  const int bytes = static_cast<int>(text.size());
  const int n = ::MultiByteToWideChar(CP_UTF8, 0, text.data(), bytes, nullptr, 0);
  std::wstring wide(static_cast<size_t>(n > 0 ? n : 0), L'\0');
  if (n > 0) ::MultiByteToWideChar(CP_UTF8, 0, text.data(), bytes, wide.data(), n);
  return wide;
}

Bstr::Bstr(const std::string& utf8) {
  const std::wstring wide = WideFromUtf8(utf8);
  text_ = ::SysAllocStringLen(wide.data(), static_cast<UINT>(wide.size()));
}

}  // namespace sonara::com
