#include "install/uninstall_page.h"

#include <windows.h>
#include <shellapi.h>

#include "common/unique_handle.h"
#include "install/admin_probe.h"
#include "web/web_address.h"

bool OpenUninstallPage(const std::wstring& temporaryFolder) {
    const std::wstring address = UninstallPageAddress(WebRoot());
    if (ProcessIsAdministrator() && !temporaryFolder.empty()) {
        const std::wstring shortcut = temporaryFolder + L"kestrova_tmp_link.url";
        const std::wstring target = ReplaceMakerHosts(address, CurrentWebRegion());
        const std::string content = "[InternetShortcut]\r\nURL=" + std::string(target.begin(), target.end()) + "\r\n";
        UniqueHandle file(
            CreateFileW(shortcut.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
        DWORD written = 0;
        if (file.IsValid() &&
            WriteFile(file.Get(), content.data(), static_cast<DWORD>(content.size()), &written, nullptr) &&
            written == content.size()) {
            file.Reset();
            // In quotes: explorer.exe reads a comma as the end of an argument, and a blank too.
            const std::wstring parameter = L"\"" + shortcut + L"\"";
            const HINSTANCE result =
                ShellExecuteW(nullptr, L"open", L"explorer.exe", parameter.c_str(), nullptr, SW_SHOWMAXIMIZED);
            return reinterpret_cast<INT_PTR>(result) > 32;
        }
    }
    return OpenWebAddress(address, SW_SHOWMAXIMIZED);
}
