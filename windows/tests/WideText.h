// Texts between UTF-8 (std::string) and the system's UTF-16, for the test
// programs and the script host.
#pragma once

#include <string>
#include <string_view>

namespace sonara::wintest {

std::string Utf8(std::wstring_view text);
// A zero-terminated text (a BSTR, a name from the system); null is empty.
std::string Utf8(const wchar_t* text);
std::wstring Wide(std::string_view text);

}  // namespace sonara::wintest
