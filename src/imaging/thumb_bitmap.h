#pragma once

#include <windows.h>
#include <shlobj.h>

#include <string>

#include "common/co_task_memory.h"

// The shell's two ways to a thumbnail of a file: the Windows thumbnail cache and the file type's
// image extractor. Used on the thumbnail thread, which has initialised OLE for itself. Either
// answers null when the shell has nothing for the file (always so for ordinary files under
// Wine, whose shell has neither); the caller owns a bitmap it gets.
class CThumbBitmap2020 {
public:
    CThumbBitmap2020() = default;
    virtual ~CThumbBitmap2020();
    CThumbBitmap2020(const CThumbBitmap2020&) = delete;
    CThumbBitmap2020& operator=(const CThumbBitmap2020&) = delete;

    // The thumbnail cache's picture of `path`, scaled to `size` (made now if the cache has none);
    // its pixel size goes to `width` and `height` (0 when there is none).
    HBITMAP FromThumbnailCache(const std::wstring& path, int size, UINT& width, UINT& height);

    // The image extractor's picture of `path` at size x size, 32 bits per pixel.
    HBITMAP FromImageExtractor(const std::wstring& path, int size);

private:
    // The shell item ID list of `path`, kept for the next question about the same path.
    PIDLIST_ABSOLUTE ItemIdList(const std::wstring& path);
    void FreeItemIdList();

    UniqueItemIdList m_itemIdList;
    std::wstring m_lastPath;
    DWORD m_reserved[2] = {0, 0};
};
