// The COM server keys of a class in the registry.
#include "framework/DllSetup.h"

#include <cwchar>
#include <string>

namespace {

// An open registry key, closed when it goes.
class CRegKey
{
public:
    CRegKey() = default;
    ~CRegKey()
    {
        if (m_key)
            (void)RegCloseKey(m_key); // nothing to do about a key that will not close
    }
    CRegKey(const CRegKey&) = delete;
    CRegKey& operator=(const CRegKey&) = delete;

    // Opens parent\name, made if missing.
    LONG Create(HKEY parent, LPCWSTR name)
    {
        return RegCreateKeyExW(parent, name, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_WRITE, nullptr, &m_key,
                               nullptr);
    }
    LONG SetString(LPCWSTR name, LPCWSTR text)
    {
        const DWORD bytes = static_cast<DWORD>((std::wcslen(text) + 1) * sizeof(WCHAR));
        return RegSetValueExW(m_key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text), bytes);
    }
    HKEY get() const { return m_key; }

private:
    HKEY m_key = nullptr;
};

std::wstring ClassKeyName(REFCLSID clsid)
{
    WCHAR text[40];
    (void)StringFromGUID2(clsid, text, 40); // always fits
    return std::wstring(L"CLSID\\") + text;
}

} // namespace

STDAPI AMovieSetupRegisterServer(CLSID clsServer, LPCWSTR szDescription, LPCWSTR szFileName,
                                 LPCWSTR szThreadingModel, LPCWSTR szServerType)
{
    if (!szDescription || !szFileName || !szThreadingModel || !szServerType)
        return E_POINTER;
    // An existing key keeps whatever values it had: each one is written anew.
    CRegKey classKey;
    CRegKey serverKey;
    LONG status = classKey.Create(HKEY_CLASSES_ROOT, ClassKeyName(clsServer).c_str());
    if (status == ERROR_SUCCESS)
        status = classKey.SetString(nullptr, szDescription);
    if (status == ERROR_SUCCESS)
        status = serverKey.Create(classKey.get(), szServerType);
    if (status == ERROR_SUCCESS)
        status = serverKey.SetString(nullptr, szFileName);
    if (status == ERROR_SUCCESS)
        status = serverKey.SetString(L"ThreadingModel", szThreadingModel);
    return HRESULT_FROM_WIN32(status);
}

STDAPI AMovieSetupUnregisterServer(CLSID clsServer)
{
    const LONG status = RegDeleteTreeW(HKEY_CLASSES_ROOT, ClassKeyName(clsServer).c_str());
    return status == ERROR_FILE_NOT_FOUND ? S_OK : HRESULT_FROM_WIN32(status);
}
