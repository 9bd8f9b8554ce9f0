#pragma once

#include <windows.h>

// The dialog procedure of every dialog that is an object of the program: CreateDialogParamW or
// DialogBoxParamW hands the object in as the WM_INITDIALOG parameter, and the dialog window keeps
// it until WM_NCDESTROY, its last message, which the object still gets. Messages before
// WM_INITDIALOG (the dialog manager sends WM_SETFONT first) and after WM_NCDESTROY reach no object
// and are answered with FALSE. The object answers the rest in
//     INT_PTR DialogMessage(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
// as a dialog procedure does (WM_INITDIALOG included: its window comes with it); the class makes
// the template its friend when that member is private.
template <typename Object>
INT_PTR CALLBACK DialogThunk(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) SetWindowLongPtrW(dialog, DWLP_USER, lParam);
    auto* object = reinterpret_cast<Object*>(GetWindowLongPtrW(dialog, DWLP_USER));
    if (object == nullptr) return FALSE;
    if (message == WM_NCDESTROY) SetWindowLongPtrW(dialog, DWLP_USER, 0);
    return object->DialogMessage(dialog, message, wParam, lParam);
}
