#include "app/message_loop.h"

#include <windows.h>

#include "common/active_dialog.h"
#include "sources/picture_selection_dialog.h"

int RunMessageLoop() {
    MSG message{};
    for (;;) {
        const BOOL result = GetMessageW(&message, nullptr, 0, 0);
        if (result == 0) return static_cast<int>(message.wParam);
        if (result == -1) return 0;
        PictureDialogKeyHook(message);
        HWND dialog = ActiveDialog();
        if (dialog != nullptr && IsWindow(dialog) && IsDialogMessageW(dialog, &message)) continue;
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}
