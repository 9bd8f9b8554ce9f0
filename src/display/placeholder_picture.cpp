#include "display/placeholder_picture.h"

#include "imaging/bitmap32.h"
#include "lang/language_archive.h"

namespace {

// A copy: the worker thread draws these, and a translation may be replaced meanwhile.
std::wstring Text(int id) { return LangString(id); }

}  // namespace

std::wstring LoadingPlaceholderText() { return L"\n" + Text(83) + L"\n\n" + Text(87); }

std::wstring EmptyPlaceholderText() { return L"\n" + Text(83) + L"\n\n" + Text(92) + L"\n\n" + Text(93); }

HBITMAP MakePlaceholderPicture(CDumBitmap& bitmap, const std::wstring& text) {
    bitmap.Create(kPlaceholderSize, kPlaceholderSize);
    if (bitmap.Handle() == nullptr) return nullptr;
    bitmap.Fill(0xFF000000);

    HDC memory = CreateCompatibleDC(nullptr);
    if (memory != nullptr) {
        HGDIOBJ previous = SelectObject(memory, bitmap.Handle());
        SetTextColor(memory, RGB(0, 255, 0));
        SetBkMode(memory, TRANSPARENT);
        // DT_VCENTER centres single lines only: measure the wrapped text first and place the
        // block in the middle.
        RECT measured{0, 0, kPlaceholderSize, kPlaceholderSize};
        DrawTextW(memory, text.c_str(), static_cast<int>(text.size()), &measured,
                  DT_CENTER | DT_WORDBREAK | DT_CALCRECT);
        const int blockHeight = measured.bottom - measured.top;
        RECT target{0, (kPlaceholderSize - blockHeight) / 2, kPlaceholderSize,
                    (kPlaceholderSize - blockHeight) / 2 + blockHeight};
        DrawTextW(memory, text.c_str(), static_cast<int>(text.size()), &target, DT_CENTER | DT_VCENTER | DT_WORDBREAK);
        GdiFlush();
        SelectObject(memory, previous);
        DeleteDC(memory);
    }
    bitmap.MakeOpaque();
    return bitmap.Handle();
}
