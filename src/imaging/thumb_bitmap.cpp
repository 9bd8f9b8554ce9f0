#include "imaging/thumb_bitmap.h"

#include <shobjidl.h>
#include <thumbcache.h>

#include "common/co_task_memory.h"
#include "common/com_pointer.h"
#include "common/proc_address.h"

namespace {

// {50EF4544-AC9F-4A8E-B21B-8A26180DB13F}
constexpr CLSID kLocalThumbnailCache = {0x50ef4544, 0xac9f, 0x4a8e, {0xb2, 0x1b, 0x8a, 0x26, 0x18, 0x0d, 0xb1, 0x3f}};
// {F676C15D-596A-4CE2-8234-33996F445DB1}
constexpr IID kThumbnailCacheInterface = {0xf676c15d, 0x596a, 0x4ce2, {0x82, 0x34, 0x33, 0x99, 0x6f, 0x44, 0x5d, 0xb1}};
// {BB2E617C-0920-11D1-9A0B-00C04FC2D6C1}
constexpr IID kExtractImageInterface = {0xbb2e617c, 0x0920, 0x11d1, {0x9a, 0x0b, 0x00, 0xc0, 0x4f, 0xc2, 0xd6, 0xc1}};

constexpr DWORD kThumbnailCacheFlags = 0x40 | 0x04;  // WTS_SCALETOREQUESTEDSIZE | WTS_FORCEEXTRACTION
constexpr DWORD kExtractFlags = IEIFLAG_CACHE | IEIFLAG_OFFLINE | IEIFLAG_QUALITY;  // 0x20A

using CreateItemFromIdList = HRESULT(WINAPI*)(PCIDLIST_ABSOLUTE, REFIID, void**);

}  // namespace

CThumbBitmap2020::~CThumbBitmap2020() { FreeItemIdList(); }

void CThumbBitmap2020::FreeItemIdList() {
    m_itemIdList.Reset();
    m_lastPath.clear();
}

PIDLIST_ABSOLUTE CThumbBitmap2020::ItemIdList(const std::wstring& path) {
    if (m_itemIdList && path == m_lastPath) return m_itemIdList.Get();
    FreeItemIdList();
    m_itemIdList.Reset(ILCreateFromPathW(path.c_str()));
    if (m_itemIdList) m_lastPath = path;
    return m_itemIdList.Get();
}

HBITMAP CThumbBitmap2020::FromThumbnailCache(const std::wstring& path, int size, UINT& width, UINT& height) {
    width = 0;
    height = 0;
    static const auto createItem =
        GetProcAddressAs<CreateItemFromIdList>(GetModuleHandleW(L"shell32.dll"), "SHCreateItemFromIDList");
    if (createItem == nullptr) return nullptr;

    IThumbnailCache* rawCache = nullptr;
    if (FAILED(CoCreateInstance(kLocalThumbnailCache, nullptr, CLSCTX_INPROC_SERVER, kThumbnailCacheInterface,
                                reinterpret_cast<void**>(&rawCache))) ||
        rawCache == nullptr) {
        return nullptr;
    }
    ComPointer<IThumbnailCache> cache(rawCache);
    PIDLIST_ABSOLUTE idList = ItemIdList(path);
    if (idList == nullptr) return nullptr;
    IShellItem* rawItem = nullptr;
    if (FAILED(createItem(idList, IID_IShellItem, reinterpret_cast<void**>(&rawItem))) || rawItem == nullptr) {
        return nullptr;
    }
    ComPointer<IShellItem> item(rawItem);

    ISharedBitmap* rawShared = nullptr;
    if (FAILED(cache->GetThumbnail(item.Get(), static_cast<UINT>(size), static_cast<WTS_FLAGS>(kThumbnailCacheFlags),
                                   &rawShared, nullptr, nullptr)) ||
        rawShared == nullptr) {
        return nullptr;
    }
    ComPointer<ISharedBitmap> shared(rawShared);
    // Detach hands the bitmap over; the shared bitmap no longer frees it.
    HBITMAP bitmap = nullptr;
    if (FAILED(shared->Detach(&bitmap)) || bitmap == nullptr) return nullptr;
    SIZE bitmapSize{};
    if (SUCCEEDED(shared->GetSize(&bitmapSize))) {
        width = static_cast<UINT>(bitmapSize.cx);
        height = static_cast<UINT>(bitmapSize.cy);
    } else {
        BITMAP info{};
        if (GetObjectW(bitmap, sizeof(info), &info) != 0) {
            width = static_cast<UINT>(info.bmWidth);
            height = static_cast<UINT>(info.bmHeight < 0 ? -info.bmHeight : info.bmHeight);
        }
    }
    return bitmap;
}

HBITMAP CThumbBitmap2020::FromImageExtractor(const std::wstring& path, int size) {
    const size_t cut = path.find_last_of(L'\\');
    if (cut == std::wstring::npos || cut + 1 >= path.size()) return nullptr;
    std::wstring folderPath = path.substr(0, cut);
    std::wstring fileName = path.substr(cut + 1);
    if (folderPath.size() == 2 && folderPath[1] == L':') folderPath += L'\\';  // "C:" means the current folder

    IShellFolder* rawDesktop = nullptr;
    if (FAILED(SHGetDesktopFolder(&rawDesktop)) || rawDesktop == nullptr) return nullptr;
    ComPointer<IShellFolder> desktop(rawDesktop);
    PIDLIST_RELATIVE rawFolderList = nullptr;
    if (FAILED(desktop->ParseDisplayName(nullptr, nullptr, folderPath.data(), nullptr, &rawFolderList, nullptr)) ||
        rawFolderList == nullptr) {
        return nullptr;
    }
    UniqueItemIdList folderList(rawFolderList);
    IShellFolder* rawFolder = nullptr;
    if (FAILED(
            desktop->BindToObject(folderList.Get(), nullptr, IID_IShellFolder, reinterpret_cast<void**>(&rawFolder))) ||
        rawFolder == nullptr) {
        return nullptr;
    }
    ComPointer<IShellFolder> folder(rawFolder);
    PIDLIST_RELATIVE rawFileList = nullptr;
    if (FAILED(folder->ParseDisplayName(nullptr, nullptr, fileName.data(), nullptr, &rawFileList, nullptr)) ||
        rawFileList == nullptr) {
        return nullptr;
    }
    UniqueItemIdList fileList(rawFileList);
    PCUITEMID_CHILD child = fileList.Get();
    IExtractImage* rawExtract = nullptr;
    if (FAILED(folder->GetUIObjectOf(nullptr, 1, &child, kExtractImageInterface, nullptr,
                                     reinterpret_cast<void**>(&rawExtract))) ||
        rawExtract == nullptr) {
        return nullptr;
    }
    ComPointer<IExtractImage> extract(rawExtract);
    wchar_t location[MAX_PATH] = L"";
    DWORD priority = 0;
    SIZE wanted{size, size};
    DWORD flags = kExtractFlags;
    const HRESULT located = extract->GetLocation(location, MAX_PATH, &priority, &wanted, 32, &flags);
    if (FAILED(located) && located != E_PENDING) return nullptr;
    HBITMAP bitmap = nullptr;
    if (FAILED(extract->Extract(&bitmap))) return nullptr;
    return bitmap;
}
