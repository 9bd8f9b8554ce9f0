#include "common/message_box_watcher.h"

#include <atomic>
#include <thread>

#include "common/message_pump.h"
#include "common/window_text.h"

namespace {

std::vector<HWND> VisibleMessageBoxes(DWORD processId) {
    struct Search {
        DWORD processId;
        std::vector<HWND> boxes;
    } search{processId, {}};
    EnumWindows(
        [](HWND window, LPARAM parameter) -> BOOL {
            auto* found = reinterpret_cast<Search*>(parameter);
            DWORD owner = 0;
            GetWindowThreadProcessId(window, &owner);
            wchar_t className[64] = L"";
            GetClassNameW(window, className, 64);
            if (owner == found->processId && lstrcmpW(className, L"#32770") == 0 && IsWindowVisible(window)) {
                found->boxes.push_back(window);
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.boxes;
}

}  // namespace

// Records each box once (the text of a message box is its static control 0xFFFF) and presses
// its button on every pass until it is gone: a press that arrives while the box is still being
// set up can be lost.
void AnswerMessageBoxes(DWORD processId, std::vector<HWND>& recorded, std::vector<SeenMessageBox>& seen, int button) {
    for (HWND box : VisibleMessageBoxes(processId)) {
        bool known = false;
        for (HWND other : recorded) known = known || other == box;
        if (!known) {
            seen.push_back({WindowText(box), WindowText(GetDlgItem(box, 0xFFFF))});
            recorded.push_back(box);
        }
        PostMessageW(box, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED),
                     reinterpret_cast<LPARAM>(GetDlgItem(box, button)));
    }
}

std::vector<SeenMessageBox> RunAnsweringMessageBoxes(const std::function<void()>& task, DWORD timeoutMs, int button) {
    std::atomic<bool> done{false};
    std::thread worker([&] {
        task();
        done = true;
    });
    std::vector<HWND> recorded;
    std::vector<SeenMessageBox> seen;
    WaitUntil(
        [&] {
            AnswerMessageBoxes(GetCurrentProcessId(), recorded, seen, button);
            return done.load();
        },
        timeoutMs);
    worker.join();
    return seen;
}
