#include "install/shell_link.h"

#include <windows.h>
#include <objidl.h>
#include <shlobj.h>

#include <vector>

#include "common/com_pointer.h"

bool CreateShellLink(const std::wstring& linkPath, const ShellLinkContent& content) {
    ComPointer<IShellLinkW> link;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                reinterpret_cast<void**>(link.Receive())))) {
        return false;
    }
    if (FAILED(link->SetPath(content.target.c_str())) || FAILED(link->SetArguments(content.arguments.c_str())) ||
        FAILED(link->SetWorkingDirectory(content.workingFolder.c_str()))) {
        return false;
    }
    if (!content.iconFile.empty()) link->SetIconLocation(content.iconFile.c_str(), content.iconIndex);
    ComPointer<IPersistFile> file;
    if (FAILED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(file.Receive())))) return false;
    return SUCCEEDED(file->Save(linkPath.c_str(), TRUE));
}

std::optional<ShellLinkContent> ReadShellLink(const std::wstring& linkPath) {
    ComPointer<IShellLinkW> link;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                reinterpret_cast<void**>(link.Receive())))) {
        return std::nullopt;
    }
    ComPointer<IPersistFile> file;
    if (FAILED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(file.Receive()))) ||
        FAILED(file->Load(linkPath.c_str(), STGM_READ))) {
        return std::nullopt;
    }
    std::vector<wchar_t> buffer(32768, L'\0');
    const int capacity = static_cast<int>(buffer.size());
    ShellLinkContent content;
    // SLGP_RAWPATH: the path as stored, without expanding environment strings.
    if (SUCCEEDED(link->GetPath(buffer.data(), capacity, nullptr, SLGP_RAWPATH))) content.target = buffer.data();
    buffer[0] = L'\0';
    if (SUCCEEDED(link->GetArguments(buffer.data(), capacity))) content.arguments = buffer.data();
    buffer[0] = L'\0';
    if (SUCCEEDED(link->GetWorkingDirectory(buffer.data(), capacity))) content.workingFolder = buffer.data();
    buffer[0] = L'\0';
    int iconIndex = 0;
    if (SUCCEEDED(link->GetIconLocation(buffer.data(), capacity, &iconIndex))) {
        content.iconFile = buffer.data();
        content.iconIndex = iconIndex;
    }
    return content;
}
