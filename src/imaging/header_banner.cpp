#include "imaging/header_banner.h"

#include "imaging/bitmap32.h"
#include "imaging/picture_holder.h"

bool ShowHeaderBanner(HWND dialog, int controlId, RECT place, UniqueBitmap& holder) {
    MapDialogRect(dialog, &place);
    const int width = place.right - place.left;
    const int height = place.bottom - place.top;
    PictureHolder picture;
    if (width <= 0 || height <= 0 || !picture.LoadResource(L"bitmap9.jpg", L"PNG", GetModuleHandleW(nullptr)) ||
        picture.Image() == nullptr) {
        return false;
    }
    CDumBitmap banner;
    void* bits = nullptr;
    banner.Create(width, height, &bits);
    if (banner.Handle() == nullptr) return false;
    HDC screen = GetDC(nullptr);
    const UniqueMemoryDC memory(CreateCompatibleDC(screen));
    ReleaseDC(nullptr, screen);
    HGDIOBJ previous = SelectObject(memory.Get(), banner.Handle());
    const RECT target{0, 0, width, height};
    picture.DrawTo(memory.Get(), target, picture.Image());
    SelectObject(memory.Get(), previous);
    banner.MakeOpaque();

    // The static shows the new banner before the one it showed goes.
    UniqueBitmap previousBanner = std::move(holder);
    holder.Reset(banner.Detach());
    HWND bannerStatic = GetDlgItem(dialog, controlId);
    auto previousImage = reinterpret_cast<HBITMAP>(
        SendMessageW(bannerStatic, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(holder.Get())));
    // A static makes a copy of a bitmap with alpha; that copy is the static's to delete.
    if (previousImage != nullptr && previousImage != previousBanner.Get() && previousImage != holder.Get()) {
        DeleteObject(previousImage);
    }
    SetWindowPos(bannerStatic, nullptr, place.left, place.top, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
    return true;
}
