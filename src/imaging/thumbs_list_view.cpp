#include "imaging/thumbs_list_view.h"

#include <ole2.h>

#include <algorithm>
#include <vector>

#include "imaging/canvas_picture.h"
#include "imaging/gdiplus_canvas.h"
#include "imaging/picture_canvas.h"
#include "imaging/picture_orientation.h"

namespace {

// Messages the thumbnail thread sends to the list view, handled on the view's thread.
constexpr UINT kRemakeImageListMessage = WM_APP + 0x3A1;  // wParam: the new cell size
constexpr UINT kAddThumbnailMessage = WM_APP + 0x3A2;     // lParam: the Thumbnail
constexpr UINT kSetImageListsMessage = WM_APP + 0x3A3;
constexpr UINT_PTR kSubclassId = 0x7468756D;  // "thum"

// Between walks while a visible item is still left to look at.
constexpr DWORD kWalkPauseMs = 50;

}  // namespace

// A made thumbnail on its way from the thread to the image list.
struct CThumsListView::Thumbnail {
    int index = 0;
    std::wstring path;
    UniqueBitmap cell;  // goes with the request unless the handler takes it
    int cellSize = 0;
    UINT reportedWidth = 0;
    UINT reportedHeight = 0;
    ThumbnailSource source = ThumbnailSource::kNone;
};

const wchar_t* ThumbnailSourceName(ThumbnailSource source) {
    switch (source) {
        case ThumbnailSource::kThumbnailCache:
            return L"thumbnail cache";
        case ThumbnailSource::kImageExtractor:
            return L"image extractor";
        case ThumbnailSource::kProgramDecoder:
            return L"the program's decoder";
        default:
            return L"none";
    }
}

HBITMAP ComposeThumbnailCell(GpImage* picture, int cell) {
    if (picture == nullptr || cell <= 0) return nullptr;
    return DrawCanvasWithGdiplus(picture, ThumbnailCanvas(cell), kOrientationAsStored);
}

bool IsListItemVisible(HWND listView, int index) {
    if (SendMessageW(listView, LVM_ISITEMVISIBLE, index, 0) != 0) return true;
    RECT item{};
    item.left = LVIR_BOUNDS;
    if (!SendMessageW(listView, LVM_GETITEMRECT, index, reinterpret_cast<LPARAM>(&item))) return false;
    RECT client{};
    GetClientRect(listView, &client);
    RECT overlap{};
    return IntersectRect(&overlap, &item, &client) != FALSE;
}

CThumsListView::~CThumsListView() {
    StopWorker();
    if (m_listView != nullptr && IsWindow(m_listView)) {
        RemoveWindowSubclass(m_listView, ListViewProc, kSubclassId);
        SendMessageW(m_listView, LVM_SETIMAGELIST, LVSIL_NORMAL, 0);
        SendMessageW(m_listView, LVM_SETIMAGELIST, LVSIL_SMALL, 0);
    }
}

std::wstring CThumsListView::ItemPath(int) { return std::wstring(); }
void CThumsListView::SetItemImage(int, int) {}
int CThumsListView::ItemImage(int) { return -1; }
void CThumsListView::SetItemSize(int, UINT, UINT) {}
void CThumsListView::ResetItemImages() {}
int CThumsListView::ItemIndexOf(const std::wstring&) { return -1; }
void CThumsListView::RenumberItemImages(const std::function<int(int)>&) {}

CThumsListView::ItemClaim CThumsListView::ClaimItem(int index, const std::wstring& path) {
    if (path.empty() || ItemPath(index) != path) return ItemClaim::kOtherPath;
    if (ItemImage(index) != -1) return ItemClaim::kNotNeeded;
    SetItemImage(index, -2);
    return ItemClaim::kClaimed;
}

void CThumsListView::Attach(HWND listView) {
    m_listView = listView;
    // The image lists belong to this object, not to the list view.
    SetWindowLongPtrW(listView, GWL_STYLE, GetWindowLongPtrW(listView, GWL_STYLE) | LVS_SHAREIMAGELISTS);
    SetWindowSubclass(listView, ListViewProc, kSubclassId, reinterpret_cast<DWORD_PTR>(this));
    RemakeImageList(m_requestedSize);
}

void CThumsListView::SetCellSize(int size) {
    if (!WorkerRunning() && m_listView != nullptr) RemakeImageList(size);
    m_requestedSize = size;
    WakeWorker();
}

void CThumsListView::WakeWorker() {
    if (m_wakeEvent.IsValid()) SetEvent(m_wakeEvent.Get());
}

void CThumsListView::UseDetailsView() {
    const LONG_PTR style = GetWindowLongPtrW(m_listView, GWL_STYLE);
    if ((style & LVS_TYPEMASK) != LVS_REPORT) {
        SetWindowLongPtrW(m_listView, GWL_STYLE, (style & ~LVS_TYPEMASK) | LVS_REPORT);
    }
    StartWorker();
}

void CThumsListView::UseIconView() {
    const LONG_PTR style = GetWindowLongPtrW(m_listView, GWL_STYLE);
    SetWindowLongPtrW(m_listView, GWL_STYLE, (style & ~LVS_TYPEMASK) | LVS_ICON);
    StartWorker();
}

void CThumsListView::StartWorker() {
    if (WorkerRunning() || m_listView == nullptr) return;
    m_stopEvent.Reset(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    m_wakeEvent.Reset(CreateEventW(nullptr, FALSE, FALSE, nullptr));
    m_thread.Reset(CreateThread(nullptr, 0, WorkerMain, this, 0, &m_threadId));
}

void CThumsListView::StopWorker() {
    if (!WorkerRunning()) return;
    SetEvent(m_stopEvent.Get());
    // The thread may be waiting in a SendMessageW to the view: answer sent messages while
    // waiting, or both would wait for ever.
    HANDLE thread = m_thread.Get();
    while (MsgWaitForMultipleObjects(1, &thread, FALSE, INFINITE, QS_SENDMESSAGE) != WAIT_OBJECT_0) {
        MSG message;
        PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
    }
    m_thread.Reset();
    m_threadId = 0;
    m_stopEvent.Reset();
    m_wakeEvent.Reset();
}

void CThumsListView::OnGetDisplayInfo(NMLVDISPINFOW* info) {
    if (info == nullptr || (info->item.mask & LVIF_IMAGE) == 0 || info->item.iSubItem != 0) return;
    const std::wstring path = ItemPath(info->item.iItem);
    std::lock_guard<std::mutex> lock(m_cacheLock);
    const auto found = m_cache.try_emplace(path).first;
    found->second.itemIndex = info->item.iItem;
    info->item.iImage = found->second.imageIndex >= 0 ? found->second.imageIndex : I_IMAGENONE;
    // An item shown without its thumbnail: the thread has something to look at.
    if (found->second.state != 1) WakeWorker();
}

void CThumsListView::Clear() {
    {
        std::lock_guard<std::mutex> lock(m_cacheLock);
        m_cache.clear();
    }
    ResetItemImages();
    if (m_imageList) ImageList_RemoveAll(m_imageList.Get());
}

void CThumsListView::KeepThumbnailsOf(const std::set<std::wstring>& paths) {
    std::vector<int> released;
    {
        std::lock_guard<std::mutex> lock(m_cacheLock);
        for (auto entry = m_cache.begin(); entry != m_cache.end();) {
            if (paths.count(entry->first) != 0) {
                ++entry;
                continue;
            }
            if (entry->second.imageIndex >= 0) released.push_back(entry->second.imageIndex);
            entry = m_cache.erase(entry);
        }
    }
    if (released.empty() || !m_imageList) return;
    // From the last one down, so that each index still names its image when it is removed.
    std::sort(released.begin(), released.end());
    for (auto image = released.rbegin(); image != released.rend(); ++image) ImageList_Remove(m_imageList.Get(), *image);
    // Every later image moved down by the number of images removed before it.
    const auto renumber = [&released](int image) {
        if (image < 0) return image;
        const auto before = std::lower_bound(released.begin(), released.end(), image) - released.begin();
        return image - static_cast<int>(before);
    };
    {
        std::lock_guard<std::mutex> lock(m_cacheLock);
        for (auto& [path, entry] : m_cache) entry.imageIndex = renumber(entry.imageIndex);
    }
    RenumberItemImages(renumber);
    InvalidateRect(m_listView, nullptr, TRUE);
}

std::optional<CThumsListView::CacheEntry> CThumsListView::CacheEntryOf(const std::wstring& path) const {
    std::lock_guard<std::mutex> lock(m_cacheLock);
    const auto found = m_cache.find(path);
    if (found == m_cache.end()) return std::nullopt;
    return found->second;
}

size_t CThumsListView::CacheCount() const {
    std::lock_guard<std::mutex> lock(m_cacheLock);
    return m_cache.size();
}

LRESULT CALLBACK CThumsListView::ListViewProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                              DWORD_PTR data) {
    auto* self = reinterpret_cast<CThumsListView*>(data);
    switch (message) {
        case kRemakeImageListMessage:
            self->RemakeImageList(static_cast<int>(wParam));
            return 1;
        case kAddThumbnailMessage:
            self->AddThumbnail(*reinterpret_cast<Thumbnail*>(lParam));
            return 1;
        case kSetImageListsMessage:
            self->SetImageListsOnView();
            return 1;
        case WM_NCDESTROY:
            RemoveWindowSubclass(window, ListViewProc, kSubclassId);
            break;
        default:
            break;
    }
    return DefSubclassProc(window, message, wParam, lParam);
}

void CThumsListView::SetImageListsOnView() {
    SendMessageW(m_listView, LVM_SETIMAGELIST, LVSIL_NORMAL, reinterpret_cast<LPARAM>(m_imageList.Get()));
    SendMessageW(m_listView, LVM_SETIMAGELIST, LVSIL_SMALL, reinterpret_cast<LPARAM>(m_imageList.Get()));
}

void CThumsListView::RemakeImageList(int size) {
    m_requestedSize = size;
    m_pause = true;
    // The view lets go of the old list before it is destroyed.
    UniqueImageList previous = std::move(m_imageList);
    m_imageList.Reset(ImageList_Create(size, size, ILC_COLOR32, 0, 1));
    ImageList_SetBkColor(m_imageList.Get(), RGB(255, 255, 255));
    SetImageListsOnView();
    previous.Reset();
    m_cellSize = size;
    {
        std::lock_guard<std::mutex> lock(m_cacheLock);
        m_cache.clear();
    }
    // Thumbnails of the old size are gone: every item may be made again at the new one.
    ResetItemImages();
    m_pause = false;
    InvalidateRect(m_listView, nullptr, TRUE);
}

void CThumsListView::AddThumbnail(Thumbnail& thumbnail) {
    const UniqueBitmap cell = std::move(thumbnail.cell);
    if (!cell) return;
    if (thumbnail.cellSize != m_cellSize || !m_imageList) {
        // Made for a size no longer in use: the item is made again at the new size.
        if (ItemImage(thumbnail.index) == -2 && ItemPath(thumbnail.index) == thumbnail.path) {
            SetItemImage(thumbnail.index, -1);
        }
        return;
    }
    {
        // Made for a picture taken off the list meanwhile: nothing to keep.
        std::lock_guard<std::mutex> lock(m_cacheLock);
        if (m_cache.find(thumbnail.path) == m_cache.end()) return;
    }
    const int added = ImageList_Add(m_imageList.Get(), cell.Get(), nullptr);
    if (added < 0) return;
    // The item may have moved since (pictures before it were removed or added).
    const int index = ItemPath(thumbnail.index) == thumbnail.path ? thumbnail.index : ItemIndexOf(thumbnail.path);
    if (index >= 0) {
        SetItemImage(index, added);
        SetItemSize(index, thumbnail.reportedWidth, thumbnail.reportedHeight);
    }
    {
        std::lock_guard<std::mutex> lock(m_cacheLock);
        CacheEntry& entry = m_cache[thumbnail.path];
        entry.state = 1;
        entry.imageIndex = added;
        entry.source = thumbnail.source;
    }
    if (index >= 0) SendMessageW(m_listView, LVM_REDRAWITEMS, index, index);
}

DWORD WINAPI CThumsListView::WorkerMain(void* self) {
    static_cast<CThumsListView*>(self)->WorkerLoop();
    return 0;
}

void CThumsListView::WorkerLoop() {
    // The shell's thumbnail interfaces are used on this thread.
    const HRESULT ole = OleInitialize(nullptr);
    SendMessageW(m_listView, kSetImageListsMessage, 0, 0);
    while (WaitForSingleObject(m_stopEvent.Get(), 0) != WAIT_OBJECT_0) {
        ++m_workerPasses;
        const int requested = m_requestedSize;
        if (requested != m_cellSize) SendMessageW(m_listView, kRemakeImageListMessage, requested, 0);
        // A hidden view draws nothing and needs nothing made: the thread sleeps until it is
        // woken (the view shows an item without a thumbnail, the size changes, or it is stopped).
        bool itemsLeft = false;
        if (!m_pause && IsWindowVisible(m_listView)) itemsLeft = WalkCache();
        if (m_pause || m_requestedSize != m_cellSize) itemsLeft = true;
        const HANDLE wake[] = {m_stopEvent.Get(), m_wakeEvent.Get()};
        WaitForMultipleObjects(2, wake, FALSE, itemsLeft ? kWalkPauseMs : INFINITE);
    }
    if (SUCCEEDED(ole)) OleUninitialize();
}

bool CThumsListView::WalkCache() {
    std::vector<std::wstring> paths;
    {
        std::lock_guard<std::mutex> lock(m_cacheLock);
        for (const auto& [path, entry] : m_cache) {
            if (entry.state != 1) paths.push_back(path);
        }
    }
    bool itemsLeft = false;
    const int walkSize = m_cellSize;
    for (const std::wstring& path : paths) {
        if (m_pause || WaitForSingleObject(m_stopEvent.Get(), 0) == WAIT_OBJECT_0) return true;
        int itemIndex = 0;
        {
            std::lock_guard<std::mutex> lock(m_cacheLock);
            const auto found = m_cache.find(path);
            if (found == m_cache.end() || found->second.state == 1) continue;
            itemIndex = found->second.itemIndex;
        }
        // The list may have changed since the view last showed this path: the path is looked
        // for where it is now.
        if (ItemPath(itemIndex) != path) itemIndex = ItemIndexOf(path);
        const bool listed = itemIndex >= 0;
        const bool visible = listed && IsListItemVisible(m_listView, itemIndex);
        // Made (or tried), or not visible; an item that moved between the check and the making
        // is looked at again in the next walk.
        const bool done = visible && MakeThumbnail(itemIndex, path);
        if (visible && !done) itemsLeft = true;
        {
            std::lock_guard<std::mutex> lock(m_cacheLock);
            const auto found = m_cache.find(path);
            if (found != m_cache.end()) {
                if (listed) found->second.itemIndex = itemIndex;
                if (done) found->second.state = 1;
                if (!visible) found->second.state = 2;
            }
        }
        if (m_requestedSize != walkSize) return true;
        Sleep(0);
    }
    return itemsLeft;
}

bool CThumsListView::MakeThumbnail(int index, const std::wstring& path) {
    switch (ClaimItem(index, path)) {
        case ItemClaim::kOtherPath:
            return false;
        case ItemClaim::kNotNeeded:
            return true;
        case ItemClaim::kClaimed:
            break;
    }
    const int cell = m_cellSize;
    const GdiplusApi& api = Gdiplus();

    Thumbnail thumbnail;
    thumbnail.index = index;
    thumbnail.path = path;
    thumbnail.cellSize = cell;
    UniqueBitmap shellBitmap(m_shell.FromThumbnailCache(path, cell, thumbnail.reportedWidth, thumbnail.reportedHeight));
    thumbnail.source = ThumbnailSource::kThumbnailCache;
    if (!shellBitmap) {
        shellBitmap.Reset(m_shell.FromImageExtractor(path, cell));
        thumbnail.source = ThumbnailSource::kImageExtractor;
    }
    if (shellBitmap) {
        GpBitmap* picture = nullptr;
        if (api.createBitmapFromHbitmap == nullptr ||
            api.createBitmapFromHbitmap(shellBitmap.Get(), nullptr, &picture) != kGpOk) {
            picture = nullptr;
        }
        shellBitmap.Reset();
        if (picture != nullptr) {
            thumbnail.cell.Reset(ComposeThumbnailCell(AsImage(picture), cell));
            api.disposeImage(AsImage(picture));
        }
    } else {
        // The program's own decoding, as for the texture squares: decoded once, turned upright by
        // the picture's orientation and reduced onto the cell from the decoded pixels. A picture
        // larger than the program decodes stays empty.
        thumbnail.source = ThumbnailSource::kProgramDecoder;
        thumbnail.cell.Reset(LoadCanvasPictureFile(path.c_str(), ThumbnailCanvas(cell)));
    }
    if (!thumbnail.cell) {
        // Nothing gave a picture: the item keeps -2 and is not tried again.
        std::lock_guard<std::mutex> lock(m_cacheLock);
        const auto found = m_cache.find(path);
        if (found != m_cache.end()) found->second.source = ThumbnailSource::kNone;
        return true;
    }
    // Not taken (the view is gone), the bitmap goes with the request.
    SendMessageW(m_listView, kAddThumbnailMessage, 0, reinterpret_cast<LPARAM>(&thumbnail));
    return true;
}
