#include "app/autostart.h"

#include <windows.h>

#include <vector>

#include "app/settings.h"

namespace {

constexpr wchar_t kRunKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";

// Owns an open registry key.
class RegistryKey {
public:
    // A key opened for writing is made where it is missing; for reading,
    // a missing key is no value.
    explicit RegistryKey(REGSAM access) {
        const LONG opened =
            access == KEY_QUERY_VALUE
                ? RegOpenKeyExW(HKEY_CURRENT_USER, kRunKey, 0, access, &key_)
                : RegCreateKeyExW(HKEY_CURRENT_USER, kRunKey, 0, nullptr, 0, access, nullptr,
                                  &key_, nullptr);
        if (opened != ERROR_SUCCESS) key_ = nullptr;
    }
    ~RegistryKey() {
        if (key_) RegCloseKey(key_);
    }
    RegistryKey(const RegistryKey&) = delete;
    RegistryKey& operator=(const RegistryKey&) = delete;
    HKEY get() const { return key_; }

private:
    HKEY key_ = nullptr;
};

}  // namespace

std::wstring autostartCommand() {
    return L"\"" + executablePath() + L"\"";
}

bool startsWithWindows() {
    const RegistryKey key(KEY_QUERY_VALUE);
    if (!key.get()) return false;
    DWORD type = 0;
    DWORD bytes = 0;
    if (RegQueryValueExW(key.get(), kAutostartValueName, nullptr, &type, nullptr, &bytes) !=
            ERROR_SUCCESS ||
        (type != REG_SZ && type != REG_EXPAND_SZ))
        return false;
    std::vector<wchar_t> value(bytes / sizeof(wchar_t) + 1, L'\0');
    if (RegQueryValueExW(key.get(), kAutostartValueName, nullptr, &type,
                         reinterpret_cast<BYTE*>(value.data()), &bytes) != ERROR_SUCCESS)
        return false;
    // Another copy of the program (moved, or a second one) is not this one.
    return lstrcmpiW(value.data(), autostartCommand().c_str()) == 0;
}

bool setStartsWithWindows(bool on) {
    const RegistryKey key(KEY_SET_VALUE);
    if (!key.get()) return false;
    if (!on) {
        const LONG removed = RegDeleteValueW(key.get(), kAutostartValueName);
        return removed == ERROR_SUCCESS || removed == ERROR_FILE_NOT_FOUND;
    }
    const std::wstring command = autostartCommand();
    return RegSetValueExW(key.get(), kAutostartValueName, 0, REG_SZ,
                          reinterpret_cast<const BYTE*>(command.c_str()),
                          static_cast<DWORD>((command.size() + 1) * sizeof(wchar_t))) ==
           ERROR_SUCCESS;
}
