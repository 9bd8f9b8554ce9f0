#include "common/web_traffic_guard.h"

#include <string>

namespace {

constexpr const wchar_t* kInternetSettings = L"Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings";

void WriteText(const wchar_t* name, const std::wstring& text) {
    RegSetKeyValueW(HKEY_CURRENT_USER, kInternetSettings, name, REG_SZ, text.c_str(),
                    static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
}

}  // namespace

WebTrafficToClosedLoopbackPort::WebTrafficToClosedLoopbackPort() {
    for (Saved& saved : m_saved) {
        DWORD bytes = 0;
        if (RegGetValueW(HKEY_CURRENT_USER, kInternetSettings, saved.name, RRF_RT_ANY, &saved.type, nullptr, &bytes) !=
            ERROR_SUCCESS) {
            continue;
        }
        std::vector<BYTE> value(bytes);
        if (RegGetValueW(HKEY_CURRENT_USER, kInternetSettings, saved.name, RRF_RT_ANY, &saved.type, value.data(),
                         &bytes) == ERROR_SUCCESS) {
            value.resize(bytes);
            saved.value = std::move(value);
        }
    }
    const DWORD enable = 1;
    RegSetKeyValueW(HKEY_CURRENT_USER, kInternetSettings, L"ProxyEnable", REG_DWORD, &enable, sizeof(enable));
    // Nothing listens on the discard port here: every request fails at once, on this machine.
    WriteText(L"ProxyServer", L"127.0.0.1:9");
    WriteText(L"ProxyOverride", L"");
}

WebTrafficToClosedLoopbackPort::~WebTrafficToClosedLoopbackPort() {
    for (const Saved& saved : m_saved) {
        if (saved.value) {
            RegSetKeyValueW(HKEY_CURRENT_USER, kInternetSettings, saved.name, saved.type, saved.value->data(),
                            static_cast<DWORD>(saved.value->size()));
        } else {
            RegDeleteKeyValueW(HKEY_CURRENT_USER, kInternetSettings, saved.name);
        }
    }
}
