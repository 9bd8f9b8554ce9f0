#pragma once

#include <windows.h>

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "common/message_box_watcher.h"
#include "common/test_files.h"
#include "sources/picture_selection_dialog.h"

// Helpers for the tests that make the picture selection dialog in the test process, as the
// program does, and send it real messages.

// Writes a width x height PNG of one colour (0xAARRGGBB); false when GDI+ cannot make it.
bool WriteSolidPng(const std::wstring& path, int width, int height, uint32_t argb);

// A PNG file whose header claims width x height (with correct checksums) and whose picture data
// is a stub: the size of a picture without its memory.
bool WritePngClaimingSize(const std::wstring& path, uint32_t width, uint32_t height);

// A real drop: an HDROP block with the wide names, as the shell hands it to a window. The
// receiver frees it (DragFinish).
HDROP MakeDrop(const std::vector<std::wstring>& paths);

// Handles the messages of this thread's windows (sent and posted) until `condition` holds or
// `timeoutMs` passed; returns the condition's last answer.
bool PumpUntil(const std::function<bool()>& condition, DWORD timeoutMs);
// Handles messages for `ms` milliseconds.
void PumpFor(DWORD ms);

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
