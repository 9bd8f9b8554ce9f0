#pragma once

#include <windows.h>
#include <shellapi.h>

#include <string>
#include <vector>

// The paths of the files dropped on a window (the HDROP of WM_DROPFILES), in the order of the
// drop. The drop is finished (DragFinish): its handle is gone afterwards.
inline std::vector<std::wstring> TakeDroppedFiles(HDROP drop) {
    std::vector<std::wstring> paths;
    const UINT count = DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0);
    for (UINT i = 0; i < count; ++i) {
        const UINT length = DragQueryFileW(drop, i, nullptr, 0);
        std::wstring path(length + 1, L'\0');
        path.resize(DragQueryFileW(drop, i, path.data(), length + 1));
        paths.push_back(std::move(path));
    }
    DragFinish(drop);
    return paths;
}
