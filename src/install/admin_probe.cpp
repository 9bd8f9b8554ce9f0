#include "install/admin_probe.h"

#include <windows.h>

#include "common/proc_address.h"
#include "common/registry_key.h"

namespace {

constexpr const wchar_t* kProbeKey = L"MC-Admin-Test";

bool ProbeAdministrator() {
    RegistryKey key;
    if (RegCreateKeyExW(HKEY_CLASSES_ROOT, kProbeKey, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_SET_VALUE, nullptr,
                        key.Receive(), nullptr) != ERROR_SUCCESS) {
        return false;
    }
    key.Reset();
    // RegDeleteKeyExW reaches the 64-bit view from a 32-bit process; older systems lack it.
    using DeleteKeyEx = LONG(WINAPI*)(HKEY, LPCWSTR, REGSAM, DWORD);
    auto deleteKeyEx = GetProcAddressAs<DeleteKeyEx>(GetModuleHandleW(L"advapi32.dll"), "RegDeleteKeyExW");
    if (deleteKeyEx != nullptr) {
        deleteKeyEx(HKEY_CLASSES_ROOT, kProbeKey, 0, 0);
    } else {
        RegDeleteKeyW(HKEY_CLASSES_ROOT, kProbeKey);
    }
    return true;
}

}  // namespace

bool ProcessIsAdministrator() {
    static const bool administrator = ProbeAdministrator();
    return administrator;
}
