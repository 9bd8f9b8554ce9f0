#include "sources/shell_folder_children.h"

#include <windows.h>
#include <shlobj.h>

#include "common/co_task_memory.h"
#include "common/com_pointer.h"

std::vector<std::wstring> ShellFolderChildren(const std::wstring& path) {
    std::vector<std::wstring> children;
    UniqueItemIdList folderList(ILCreateFromPathW(path.c_str()));
    if (!folderList) return children;
    ComPointer<IShellFolder> desktop;
    if (FAILED(SHGetDesktopFolder(desktop.Receive())) || !desktop) return children;
    ComPointer<IShellFolder> folder;
    if (FAILED(desktop->BindToObject(folderList.Get(), nullptr, IID_IShellFolder, folder.ReceiveVoid())) || !folder) {
        return children;
    }
    ComPointer<IEnumIDList> items;
    if (folder->EnumObjects(nullptr, SHCONTF_FOLDERS | SHCONTF_NONFOLDERS | SHCONTF_INCLUDEHIDDEN, items.Receive()) !=
            S_OK ||
        !items) {
        return children;
    }
    UniqueItemIdList child;
    while (items->Next(1, child.Receive(), nullptr) == S_OK) {
        UniqueItemIdList full(ILCombine(folderList.Get(), child.Get()));
        wchar_t childPath[MAX_PATH] = L"";
        if (full && SHGetPathFromIDListW(full.Get(), childPath) && childPath[0] != L'\0') children.push_back(childPath);
    }
    return children;
}
