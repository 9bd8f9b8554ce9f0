#pragma once

#include <windows.h>

// The modeless dialog that is active now, or null. A dialog records itself when it is activated
// and clears the record when it loses activation; the message loop hands keyboard messages to
// it (tab, arrows, Enter). Main thread only.
inline HWND& ActiveDialogRecord() {
    static HWND activeDialog = nullptr;
    return activeDialog;
}

inline void SetActiveDialog(HWND dialog) { ActiveDialogRecord() = dialog; }
inline HWND ActiveDialog() { return ActiveDialogRecord(); }
