#pragma once

#include <windows.h>
#include <commctrl.h>

#include <atomic>
#include <functional>
#include <map>
#include <mutex>
#include <optional>
#include <set>
#include <string>

#include "common/gdi_objects.h"
#include "common/unique_handle.h"
#include "imaging/gdiplus_api.h"
#include "imaging/thumb_bitmap.h"

// Where a thumbnail came from: the shell's thumbnail cache, the file type's image extractor,
// or the program's own decoding (canvas_picture.h); none when all three failed. The shell's
// pictures come upright already (Windows' photo thumbnails follow the EXIF orientation); the
// program's own decoding turns them itself.
enum class ThumbnailSource { kNone, kThumbnailCache, kImageExtractor, kProgramDecoder };
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
// list runs on the view's own thread, in the messages it sends. It sleeps while the view is
// hidden and while nothing is left to make, and wakes when the view shows an item without a
// thumbnail, when the cell size changes and when it is stopped. A derived class must call
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

    // What ClaimItem found.
    enum class ItemClaim {
        kClaimed,    // the item showed the path without a thumbnail: it is now being made (-2)
        kNotNeeded,  // the item has its thumbnail, is being made, failed or needs none
        kOtherPath,  // the item shows another path now (the list changed)
    };

    // The item operations, answered by the derived class. They are called on the thumbnail
    // thread as well as on the view's thread.
    virtual std::wstring ItemPath(int index);              // empty in the base
    virtual void SetItemImage(int index, int imageIndex);  // nothing in the base
    virtual int ItemImage(int index);                      // -1 in the base
    virtual void SetItemSize(int index, UINT width, UINT height);
    // Every item back to -1 (no thumbnail yet); the image list was made anew.
    virtual void ResetItemImages();
    // The item that shows `path` now; -1 when none does (-1 in the base).
    virtual int ItemIndexOf(const std::wstring& path);
    // Marks the item at `index` as being made (-2) when it still shows `path` and has no
    // thumbnail yet. The base asks ItemPath and ItemImage one after the other; a derived class
    // whose items change on another thread answers in one step.
    virtual ItemClaim ClaimItem(int index, const std::wstring& path);
    // Images were taken out of the image list: every item's image becomes renumber(image).
    virtual void RenumberItemImages(const std::function<int(int)>& renumber);

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
    // Stops the thread and waits until it has ended, answering its messages meanwhile. The
    // thread is never ended by force: it may hold the decoding turn that the displays need, so
    // it finishes the thumbnail it is making (bounded by the decoding budget) and then stops.
    void StopWorker();
    bool WorkerRunning() const { return m_thread.IsValid(); }
    // Passes the thread made through its loop (each walk of the cache, each wake-up): a thread
    // that sleeps adds none.
    unsigned WorkerPasses() const { return m_workerPasses; }

    // The dialog hands on LVN_GETDISPINFOW: for the image of the main column it answers the
    // path's thumbnail and records at which item the path is shown.
    void OnGetDisplayInfo(NMLVDISPINFOW* info);

    // Forgets every thumbnail (the list was emptied).
    void Clear();
    // Forgets the thumbnails of every path not in `paths` (pictures taken off the list) and
    // takes their images out of the image list, so that they cost no memory; the images of the
    // rest are renumbered. On the view's thread.
    void KeepThumbnailsOf(const std::set<std::wstring>& paths);

    int CellSize() const { return m_cellSize; }
    int RequestedSize() const { return m_requestedSize; }
    HIMAGELIST ImageList() const { return m_imageList.Get(); }
    std::optional<CacheEntry> CacheEntryOf(const std::wstring& path) const;
    size_t CacheCount() const;

private:
    static LRESULT CALLBACK ListViewProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                         DWORD_PTR self);
    static DWORD WINAPI WorkerMain(void* self);
    void WorkerLoop();
    // Returns true while some visible item is left for the next walk.
    bool WalkCache();
    // Makes the thumbnail of `path` for the item at `index`; false when the item shows another
    // path by now (nothing made, the walk looks for the path again).
    bool MakeThumbnail(int index, const std::wstring& path);
    void WakeWorker();

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
    UniqueImageList m_imageList;
    HWND m_listView = nullptr;
    std::atomic<bool> m_pause{false};
    UniqueHandle m_thread;
    DWORD m_threadId = 0;
    UniqueHandle m_stopEvent;
    UniqueHandle m_wakeEvent;  // set when there is something for the thread to look at
    std::atomic<unsigned> m_workerPasses{0};
};
