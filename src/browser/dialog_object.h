#pragma once

#include <windows.h>

// The object behind a dialog of the browser window. CreateDialogParam hands the object in as
// the WM_INITDIALOG parameter; it is kept with the dialog until WM_NCDESTROY. Returns the object
// for `message`: null before WM_INITDIALOG, and for the last time on WM_NCDESTROY (the link is
// gone afterwards, so later messages reach no object).
template <typename Object>
Object* DialogObject(HWND window, UINT message, LPARAM lParam) {
    if (message == WM_INITDIALOG) SetWindowLongPtrW(window, DWLP_USER, lParam);
    auto* object = reinterpret_cast<Object*>(GetWindowLongPtrW(window, DWLP_USER));
    if (message == WM_NCDESTROY) SetWindowLongPtrW(window, DWLP_USER, 0);
    return object;
}
