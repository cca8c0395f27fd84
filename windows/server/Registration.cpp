#include "Registration.h"

#include <oleauto.h>
#include <olectl.h>
#include <wrl/client.h>

#include <string>

#include "MidiTypeLib.h"
#include "Module.h"

namespace sonara::com {
namespace {

constexpr wchar_t kClasses[] = L"Software\\Classes";
constexpr wchar_t kProgId[] = L"Sonara.clsMidi";
constexpr wchar_t kClassName[] = L"clsMidi";
constexpr wchar_t kVersion[] = L"1.0";

#if defined(_WIN64)
constexpr SYSKIND kSysKind = SYS_WIN64;
#else
constexpr SYSKIND kSysKind = SYS_WIN32;
#endif

std::wstring GuidText(REFGUID guid) {
  wchar_t text[40] = {};
  ::StringFromGUID2(guid, text, 40);
  return text;
}

// An open registry key that closes itself.
class Key {
 public:
  Key() = default;
  ~Key() {
    if (key_) ::RegCloseKey(key_);
  }
  Key(const Key&) = delete;
  Key& operator=(const Key&) = delete;
  HKEY* put() { return &key_; }
  HKEY get() const { return key_; }

 private:
  HKEY key_ = nullptr;
};

// Writes `value` (a text, possibly empty) as `name` (nullptr: the default
// value) of the key Software\Classes\<path>, creating the key.
LSTATUS WriteValue(const std::wstring& path, const wchar_t* name, const std::wstring& value) {
  Key key;
  const std::wstring full = std::wstring(kClasses) + L"\\" + path;
  LSTATUS status = ::RegCreateKeyExW(HKEY_LOCAL_MACHINE, full.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                                     KEY_WRITE, nullptr, key.put(), nullptr);
  if (status != ERROR_SUCCESS) return status;
  const auto bytes = static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t));
  return ::RegSetValueExW(key.get(), name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()), bytes);
}

LSTATUS CreateKey(const std::wstring& path) {
  Key key;
  const std::wstring full = std::wstring(kClasses) + L"\\" + path;
  return ::RegCreateKeyExW(HKEY_LOCAL_MACHINE, full.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_WRITE,
                           nullptr, key.put(), nullptr);
}

LSTATUS DeleteTree(const std::wstring& path) {
  Key classes;
  LSTATUS status = ::RegOpenKeyExW(HKEY_LOCAL_MACHINE, kClasses, 0, KEY_ALL_ACCESS, classes.put());
  if (status != ERROR_SUCCESS) return status;
  status = ::RegDeleteTreeW(classes.get(), path.c_str());
  if (status == ERROR_FILE_NOT_FOUND) return ERROR_SUCCESS;
  if (status != ERROR_SUCCESS) return status;
  // The key itself, where the tree deletion left it.
  const LSTATUS removed = ::RegDeleteKeyW(classes.get(), path.c_str());
  return removed == ERROR_FILE_NOT_FOUND ? ERROR_SUCCESS : removed;
}

HRESULT RegisterClassKeys(const std::wstring& modulePath) {
  const std::wstring clsid = GuidText(CLSID_clsMidi);
  const std::wstring classKey = L"CLSID\\" + clsid;
  const LSTATUS statuses[] = {
      WriteValue(classKey, nullptr, kClassName),
      WriteValue(classKey + L"\\InprocServer32", nullptr, modulePath),
      WriteValue(classKey + L"\\InprocServer32", L"ThreadingModel", L"Apartment"),
      WriteValue(classKey + L"\\ProgID", nullptr, kProgId),
      WriteValue(classKey + L"\\VERSION", nullptr, kVersion),
      WriteValue(classKey + L"\\TypeLib", nullptr, GuidText(LIBID_Sonara)),
      CreateKey(classKey + L"\\Programmable"),
      WriteValue(kProgId, nullptr, kProgId),
      WriteValue(std::wstring(kProgId) + L"\\CLSID", nullptr, clsid),
  };
  for (const LSTATUS status : statuses) {
    if (status != ERROR_SUCCESS) return HRESULT_FROM_WIN32(status);
  }
  return S_OK;
}

}  // namespace

HRESULT RegisterServer() {
  const std::wstring path = ThisModulePath();
  if (path.empty()) return SELFREG_E_CLASS;
  Microsoft::WRL::ComPtr<ITypeLib> lib;
  HRESULT hr = ::LoadTypeLibEx(path.c_str(), REGKIND_NONE, &lib);
  if (FAILED(hr)) return SELFREG_E_TYPELIB;
  // The library, and an Interface key for each of its interfaces.
  std::wstring location = path;  // the call takes a writable string
  hr = ::RegisterTypeLib(lib.Get(), location.data(), nullptr);
  if (FAILED(hr)) return SELFREG_E_TYPELIB;
  hr = RegisterClassKeys(path);
  if (FAILED(hr)) {
    UnregisterServer();
    return SELFREG_E_CLASS;
  }
  return S_OK;
}

HRESULT UnregisterServer() {
  HRESULT result = S_OK;
  const HRESULT lib = ::UnRegisterTypeLib(LIBID_Sonara, 1, 0, 0x0409, kSysKind);
  if (FAILED(lib) && lib != TYPE_E_REGISTRYACCESS && lib != TYPE_E_LIBNOTREGISTERED) result = SELFREG_E_TYPELIB;
  const std::wstring clsid = GuidText(CLSID_clsMidi);
  if (DeleteTree(L"CLSID\\" + clsid) != ERROR_SUCCESS) result = SELFREG_E_CLASS;
  if (DeleteTree(kProgId) != ERROR_SUCCESS) result = SELFREG_E_CLASS;
  return result;
}

}  // namespace sonara::com
