#pragma once

#include <windows.h>
#include <commctrl.h>

#include <atomic>
#include <map>
#include <mutex>
#include <optional>
#include <string>

#include "common/unique_handle.h"
#include "imaging/gdiplus_api.h"
#include "imaging/thumb_bitmap.h"

// Where a thumbnail came from: the shell's thumbnail cache, the file type's image extractor,
// or the program's own decoding with GDI+; none when all three failed.
enum class ThumbnailSource { kNone, kThumbnailCache, kImageExtractor, kGdiplus };
const wchar_t* ThumbnailSourceName(ThumbnailSource source);

// The picture of a thumbnail cell: `picture` fitted into a cell x cell square over opaque white,
// as a 32-bit bitmap. Null when GDI+ cannot make it; the caller owns the bitmap.
HBITMAP ComposeThumbnailCell(GpImage* picture, int cell);

// Whether any part of the item lies in the list view's client area. (LVM_ISITEMVISIBLE is asked
// first; Wine's list view answers it with 0 for every item, so the item's rectangle decides too.)
bool IsListItemVisible(HWND listView, int index);

// A list view in owner-data mode whose items show thumbnails of files. A thread of its own
// makes a thumbnail for each visible item that has none, puts it into the view's image list and
// remembers its image by file path, so scrolling back and forth never makes a thumbnail twice.
// The items themselves belong to a derived class, which answers for their paths and keeps each
// item's thumbnail state: -1 none yet, -2 being made or failed (not tried again until the cell
// size changes), otherwise its image in the image list.
//
// The thread reaches the list view only with SendMessageW; everything that touches the image
// list runs on the view's own thread, in the messages it sends. A derived class must call
// StopWorker in its destructor, because the thread calls its operations.
class CThumsListView {
public:
    // What the cache knows about one path.
    struct CacheEntry {
        int imageIndex = -1;  // the thumbnail in the image list; -1 (I_IMAGENONE shown) until made
        int itemIndex = 0;    // the item the view last showed this path at
        int state = 0;        // 0 new, 1 made (or tried), 2 was not visible when last looked at
        ThumbnailSource source = ThumbnailSource::kNone;
    };

    CThumsListView() = default;
    virtual ~CThumsListView();
    CThumsListView(const CThumsListView&) = delete;
    CThumsListView& operator=(const CThumsListView&) = delete;

    // The item operations, answered by the derived class. They are called on the thumbnail
    // thread as well as on the view's thread.
    virtual std::wstring ItemPath(int index);              // empty in the base
    virtual void SetItemImage(int index, int imageIndex);  // nothing in the base
    virtual int ItemImage(int index);                      // -1 in the base
    virtual void SetItemSize(int index, UINT width, UINT height);
    // Every item back to -1 (no thumbnail yet); the image list was made anew.
    virtual void ResetItemImages();

    // Binds the view to its list view window; the image list is made at the current cell size.
    void Attach(HWND listView);
    HWND ListView() const { return m_listView; }

    // The cell size the view shall use. Before the thread runs the image list is made at once;
    // later the thread remakes it (and every thumbnail) when it sees the new size.
    void SetCellSize(int size);
    // Details view with small images, or the icon view; both start the thread.
    void UseDetailsView();
    void UseIconView();
    void StartWorker();
    // Stops the thread and waits for it, answering its messages meanwhile. Bounded: a thread
    // that does not end within a few seconds is ended by force (exit code 1092).
    void StopWorker();
    bool WorkerRunning() const { return m_thread.IsValid(); }

    // The dialog hands on LVN_GETDISPINFOW: for the image of the main column it answers the
    // path's thumbnail and records at which item the path is shown.
    void OnGetDisplayInfo(NMLVDISPINFOW* info);

    // Forgets every thumbnail (the list was emptied).
    void Clear();

    int CellSize() const { return m_cellSize; }
    int RequestedSize() const { return m_requestedSize; }
    HIMAGELIST ImageList() const { return m_imageList; }
    std::optional<CacheEntry> CacheEntryOf(const std::wstring& path) const;
    size_t CacheCount() const;

private:
    static LRESULT CALLBACK ListViewProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                         DWORD_PTR self);
    static DWORD WINAPI WorkerMain(void* self);
    void WorkerLoop();
    void WalkCache();
    void MakeThumbnail(int index);

    // On the view's thread.
    void RemakeImageList(int size);
    struct Thumbnail;
    void AddThumbnail(Thumbnail& thumbnail);
    void SetImageListsOnView();

    CThumbBitmap2020 m_shell;
    std::atomic<int> m_cellSize{16};
    std::map<std::wstring, CacheEntry> m_cache;  // keys compared code unit by code unit
    mutable std::mutex m_cacheLock;
    std::atomic<int> m_requestedSize{16};
    HIMAGELIST m_imageList = nullptr;
    HWND m_listView = nullptr;
    std::atomic<bool> m_pause{false};
    UniqueHandle m_thread;
    DWORD m_threadId = 0;
    UniqueHandle m_stopEvent;
    UniqueHandle m_wakeEvent;  // set when the view shows a path new to the cache
};
