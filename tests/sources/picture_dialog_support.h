#pragma once

#include <windows.h>

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "common/message_box_watcher.h"
#include "common/message_pump.h"
#include "common/picture_fixtures.h"
#include "common/test_files.h"
#include "sources/picture_selection_dialog.h"

// Helpers for the tests that make the picture selection dialog in the test process, as the
// program does, and send it real messages.

// A real drop: an HDROP block with the wide names, as the shell hands it to a window. The
// receiver frees it (DragFinish).
HDROP MakeDrop(const std::vector<std::wstring>& paths);

// Answers the message boxes of this process from a thread of its own while it lives, recording
// each box once. (The dialog shows its boxes on the test's thread, inside a message it was
// sent, so the answering must happen elsewhere.)
class MessageBoxAnswerer {
public:
    // `dialog`, a dialog of the test itself, is no message box.
    explicit MessageBoxAnswerer(HWND dialog);
    ~MessageBoxAnswerer();
    MessageBoxAnswerer(const MessageBoxAnswerer&) = delete;
    MessageBoxAnswerer& operator=(const MessageBoxAnswerer&) = delete;
    // Stops answering and returns every box seen.
    std::vector<SeenMessageBox> Stop();

private:
    std::atomic<bool> m_stop{false};
    std::vector<SeenMessageBox> m_seen;  // written by the thread until Stop joins it
    std::thread m_thread;
};

// The texts of a list view item's column (owner data: the dialog answers).
std::wstring ListItemText(HWND listView, int item, int column);
std::wstring StatusText(HWND statusBar);

// Settings file, language texts and a fresh picture selection dialog for each test.
class PictureDialogFixtureBase {
public:
    static void LoadLanguageTexts();
};
