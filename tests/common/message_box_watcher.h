#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

// Message boxes are real dialogs (class #32770). These helpers find the message boxes of a
// process, record caption and text, and press their button, so that a test can check what the
// program said without anyone clicking.
struct SeenMessageBox {
    std::wstring caption;
    std::wstring text;
};

// One pass over the visible message boxes of `processId`: each box not in `recorded` yet is
// added to `seen` (and to `recorded`); every box found is answered with its button `button`
// (IDOK, or IDYES / IDNO for a question).
void AnswerMessageBoxes(DWORD processId, std::vector<HWND>& recorded, std::vector<SeenMessageBox>& seen,
                        int button = IDOK);

// Runs `task` on a thread of its own and answers the message boxes of this process on the
// calling thread with `button` until the task ends (or `timeoutMs` passed). Returns the boxes
// seen. (Under Wine a second thread cannot reach a message box shown by a thread with an OpenGL
// context, so the task, not the answering, goes to the other thread.)
std::vector<SeenMessageBox> RunAnsweringMessageBoxes(const std::function<void()>& task, DWORD timeoutMs,
                                                     int button = IDOK);
