#include "system/running_copy_signal.h"

#include <windows.h>

namespace {

BOOL CALLBACK SignalWindow(HWND window, LPARAM messageNumber) {
    const UINT message = static_cast<UINT>(messageNumber);
    DWORD_PTR answer = 0;
    SendMessageTimeoutW(window, message, 0, 0, SMTO_BLOCK | SMTO_ABORTIFHUNG, 10000, &answer);
    return answer == message ? FALSE : TRUE;
}

}  // namespace

void SignalRunningCopies() {
    const UINT message = RegisterWindowMessageW(kRunningCopyMessageName);
    if (message == 0) return;
    EnumWindows(SignalWindow, static_cast<LPARAM>(message));
}
