#include "imaging/thumbs_list_view.h"

#include <ole2.h>

#include <vector>

#include "imaging/picture_holder.h"
#include "imaging/thumbnail_cell.h"

namespace {

// Messages the thumbnail thread sends to the list view, handled on the view's thread.
constexpr UINT kRemakeImageListMessage = WM_APP + 0x3A1;  // wParam: the new cell size
constexpr UINT kAddThumbnailMessage = WM_APP + 0x3A2;     // lParam: the Thumbnail
constexpr UINT kSetImageListsMessage = WM_APP + 0x3A3;
constexpr UINT_PTR kSubclassId = 0x7468756D;  // "thum"

constexpr DWORD kWalkPauseMs = 50;
constexpr DWORD kStopWaitMs = 5000;
constexpr DWORD kForcedExitCode = 1092;

}  // namespace

// A made thumbnail on its way from the thread to the image list.
struct CThumsListView::Thumbnail {
    int index = 0;
    std::wstring path;
    HBITMAP cell = nullptr;  // owned by whoever holds the request; the handler takes it
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
        case ThumbnailSource::kGdiplus:
            return L"GDI+";
        default:
            return L"none";
    }
}

HBITMAP ComposeThumbnailCell(GpImage* picture, int cell) {
    const GdiplusApi& api = Gdiplus();
    if (picture == nullptr || cell <= 0 || api.createBitmapFromScan0 == nullptr ||
        api.getImageGraphicsContext == nullptr || api.graphicsClear == nullptr || api.drawImageRectI == nullptr ||
        api.deleteGraphics == nullptr || api.createHbitmapFromBitmap == nullptr || api.disposeImage == nullptr) {
        return nullptr;
    }
    UINT width = 0, height = 0;
    api.getImageWidth(picture, &width);
    api.getImageHeight(picture, &height);

    GpBitmap* composed = nullptr;
    if (api.createBitmapFromScan0(cell, cell, 0, kPixelFormat32bppArgb, nullptr, &composed) != kGpOk) return nullptr;
    GpGraphics* graphics = nullptr;
    if (api.getImageGraphicsContext(AsImage(composed), &graphics) == kGpOk) {
        api.graphicsClear(graphics, kThumbnailBackground);
        const ThumbnailPlacement place = PlaceInThumbnailCell(cell, static_cast<int>(width), static_cast<int>(height));
        if (place.width > 0 && place.height > 0) {
            api.drawImageRectI(graphics, picture, place.x, place.y, place.width, place.height);
        }
        api.deleteGraphics(graphics);
    }
    HBITMAP bitmap = nullptr;
    if (api.createHbitmapFromBitmap(composed, &bitmap, 0) != kGpOk) bitmap = nullptr;
    api.disposeImage(AsImage(composed));
    return bitmap;
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
    if (m_imageList != nullptr) ImageList_Destroy(m_imageList);
}

std::wstring CThumsListView::ItemPath(int) { return std::wstring(); }
void CThumsListView::SetItemImage(int, int) {}
int CThumsListView::ItemImage(int) { return -1; }
void CThumsListView::SetItemSize(int, UINT, UINT) {}
void CThumsListView::ResetItemImages() {}

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
    const DWORD start = GetTickCount();
    HANDLE thread = m_thread.Get();
    for (;;) {
        const DWORD elapsed = GetTickCount() - start;
        if (elapsed >= kStopWaitMs) {
            TerminateThread(thread, kForcedExitCode);
            WaitForSingleObject(thread, kStopWaitMs);
            break;
        }
        const DWORD woke = MsgWaitForMultipleObjects(1, &thread, FALSE, kStopWaitMs - elapsed, QS_SENDMESSAGE);
        if (woke == WAIT_OBJECT_0) break;
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
    const auto [found, isNew] = m_cache.try_emplace(path);
    found->second.itemIndex = info->item.iItem;
    info->item.iImage = found->second.imageIndex >= 0 ? found->second.imageIndex : I_IMAGENONE;
    // A path the thread has not seen: it need not finish its pause first.
    if (isNew && m_wakeEvent.IsValid()) SetEvent(m_wakeEvent.Get());
}

void CThumsListView::Clear() {
    {
        std::lock_guard<std::mutex> lock(m_cacheLock);
        m_cache.clear();
    }
    ResetItemImages();
    if (m_imageList != nullptr) ImageList_RemoveAll(m_imageList);
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
    SendMessageW(m_listView, LVM_SETIMAGELIST, LVSIL_NORMAL, reinterpret_cast<LPARAM>(m_imageList));
    SendMessageW(m_listView, LVM_SETIMAGELIST, LVSIL_SMALL, reinterpret_cast<LPARAM>(m_imageList));
}

void CThumsListView::RemakeImageList(int size) {
    m_requestedSize = size;
    m_pause = true;
    HIMAGELIST previous = m_imageList;
    m_imageList = ImageList_Create(size, size, ILC_COLOR32, 0, 1);
    ImageList_SetBkColor(m_imageList, RGB(255, 255, 255));
    SetImageListsOnView();
    if (previous != nullptr) ImageList_Destroy(previous);
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
    HBITMAP cell = thumbnail.cell;
    thumbnail.cell = nullptr;
    if (cell == nullptr) return;
    if (thumbnail.cellSize != m_cellSize || m_imageList == nullptr) {
        // Made for a size no longer in use: the item is made again at the new size.
        DeleteObject(cell);
        if (ItemImage(thumbnail.index) == -2 && ItemPath(thumbnail.index) == thumbnail.path) {
            SetItemImage(thumbnail.index, -1);
        }
        return;
    }
    const int added = ImageList_Add(m_imageList, cell, nullptr);
    DeleteObject(cell);
    if (added < 0) return;
    if (ItemPath(thumbnail.index) == thumbnail.path) {
        SetItemImage(thumbnail.index, added);
        SetItemSize(thumbnail.index, thumbnail.reportedWidth, thumbnail.reportedHeight);
    }
    {
        std::lock_guard<std::mutex> lock(m_cacheLock);
        CacheEntry& entry = m_cache[thumbnail.path];
        entry.state = 1;
        entry.imageIndex = added;
        entry.source = thumbnail.source;
    }
    SendMessageW(m_listView, LVM_REDRAWITEMS, thumbnail.index, thumbnail.index);
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
        const int requested = m_requestedSize;
        if (requested != m_cellSize) SendMessageW(m_listView, kRemakeImageListMessage, requested, 0);
        if (!m_pause) WalkCache();
        // 50 ms between walks, unless the view asked for a path it had not shown before.
        const HANDLE wake[] = {m_stopEvent.Get(), m_wakeEvent.Get()};
        WaitForMultipleObjects(2, wake, FALSE, kWalkPauseMs);
    }
    if (SUCCEEDED(ole)) OleUninitialize();
}

void CThumsListView::WalkCache() {
    std::vector<std::wstring> paths;
    {
        std::lock_guard<std::mutex> lock(m_cacheLock);
        for (const auto& [path, entry] : m_cache) {
            if (entry.state != 1) paths.push_back(path);
        }
    }
    const int walkSize = m_cellSize;
    for (const std::wstring& path : paths) {
        if (m_pause || WaitForSingleObject(m_stopEvent.Get(), 0) == WAIT_OBJECT_0) return;
        int itemIndex = 0;
        {
            std::lock_guard<std::mutex> lock(m_cacheLock);
            const auto found = m_cache.find(path);
            if (found == m_cache.end() || found->second.state == 1) continue;
            itemIndex = found->second.itemIndex;
        }
        const bool visible = IsListItemVisible(m_listView, itemIndex);
        // The list may have changed since the view last showed this path: only an item that
        // still shows it is made; the view records the new place when it draws it.
        const bool sameItem = visible && ItemPath(itemIndex) == path;
        if (sameItem) MakeThumbnail(itemIndex);
        {
            std::lock_guard<std::mutex> lock(m_cacheLock);
            const auto found = m_cache.find(path);
            if (found != m_cache.end() && (sameItem || !visible)) found->second.state = sameItem ? 1 : 2;
        }
        if (m_requestedSize != walkSize) return;
        Sleep(0);
    }
}

void CThumsListView::MakeThumbnail(int index) {
    if (ItemImage(index) != -1) return;
    const std::wstring path = ItemPath(index);
    if (path.empty()) return;
    SetItemImage(index, -2);
    const int cell = m_cellSize;
    const GdiplusApi& api = Gdiplus();

    Thumbnail thumbnail;
    thumbnail.index = index;
    thumbnail.path = path;
    thumbnail.cellSize = cell;
    HBITMAP shellBitmap = m_shell.FromThumbnailCache(path, cell, thumbnail.reportedWidth, thumbnail.reportedHeight);
    thumbnail.source = ThumbnailSource::kThumbnailCache;
    if (shellBitmap == nullptr) {
        shellBitmap = m_shell.FromImageExtractor(path, cell);
        thumbnail.source = ThumbnailSource::kImageExtractor;
    }
    if (shellBitmap != nullptr) {
        GpBitmap* picture = nullptr;
        if (api.createBitmapFromHbitmap == nullptr ||
            api.createBitmapFromHbitmap(shellBitmap, nullptr, &picture) != kGpOk) {
            picture = nullptr;
        }
        DeleteObject(shellBitmap);
        if (picture != nullptr) {
            thumbnail.cell = ComposeThumbnailCell(AsImage(picture), cell);
            api.disposeImage(AsImage(picture));
        }
    } else {
        // The program's own decoder: the whole file is read into memory first, so a file that is
        // deleted or changed meanwhile cannot pull the picture away from under the decoder, and a
        // picture larger than the program decodes stays empty.
        PictureHolder holder;
        thumbnail.source = ThumbnailSource::kGdiplus;
        if (holder.LoadFile(path.c_str()) && holder.Image() != nullptr) {
            thumbnail.cell = ComposeThumbnailCell(holder.Image(), cell);
        }
    }
    if (thumbnail.cell == nullptr) {
        // Nothing gave a picture: the item keeps -2 and is not tried again.
        std::lock_guard<std::mutex> lock(m_cacheLock);
        const auto found = m_cache.find(path);
        if (found != m_cache.end()) found->second.source = ThumbnailSource::kNone;
        return;
    }
    SendMessageW(m_listView, kAddThumbnailMessage, 0, reinterpret_cast<LPARAM>(&thumbnail));
    // Not taken (the view is gone): the bitmap is still ours.
    if (thumbnail.cell != nullptr) DeleteObject(thumbnail.cell);
}
