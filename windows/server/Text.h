// Texts between the component (UTF-8 std::string) and COM (BSTR, UTF-16).
#pragma once

#define WIN32_LEAN_AND_MEAN
#include <windows.h>
#include <oleauto.h>

#include <string>

namespace sonara::com {

std::string Utf8FromWide(const wchar_t* text, size_t length);
std::string Utf8FromBstr(BSTR text);  // a null BSTR is the empty text
std::wstring WideFromUtf8(const std::string& text);

// A BSTR that frees itself.
class Bstr {
 public:
  Bstr() = default;
  explicit Bstr(const std::string& utf8);
  ~Bstr() { ::SysFreeString(text_); }
  Bstr(const Bstr&) = delete;
  Bstr& operator=(const Bstr&) = delete;

  BSTR get() const noexcept { return text_; }
  // Hands the string to the caller, who frees it.
  BSTR Detach() noexcept {
    BSTR t = text_;
    text_ = nullptr;
    return t;
  }
  explicit operator bool() const noexcept { return text_ != nullptr; }

 private:
  BSTR text_ = nullptr;
};

}  // namespace sonara::com
