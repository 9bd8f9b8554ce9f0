#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "common/message_box_watcher.h"

// Helpers of the tests that run the installer's and uninstaller's steps in the test process.

// Loads the language archive of the built program (ORBELIN_EXE) and makes English current.
// False when it cannot be loaded.
bool LoadProgramLanguages();

// Runs `task` on a thread of its own, with COM, while the message boxes it shows are answered
// with `button` here; returns the boxes seen.
std::vector<SeenMessageBox> RunShowingBoxes(const std::function<void()>& task, int button = IDOK);

// A registry key that is a link to a key that does not exist: nothing can be made or written
// through it, as through a key that the user may not write. Removed again when the object goes.
// The key must not exist before.
class DanglingRegistryKey {
public:
    DanglingRegistryKey(HKEY root, std::wstring path);
    ~DanglingRegistryKey();
    DanglingRegistryKey(const DanglingRegistryKey&) = delete;
    DanglingRegistryKey& operator=(const DanglingRegistryKey&) = delete;

    bool Made() const { return m_made; }

private:
    HKEY m_root;
    std::wstring m_path;
    bool m_made = false;
};

// Holds a file open for reading, sharing reading (and deletion, when asked) only, as a program
// that uses the file does: it cannot be written, and without shared deletion not deleted.
class HeldFile {
public:
    HeldFile(const std::wstring& path, bool shareDeletion);
    ~HeldFile();
    HeldFile(const HeldFile&) = delete;
    HeldFile& operator=(const HeldFile&) = delete;

    bool Held() const { return m_file != INVALID_HANDLE_VALUE; }
    void Release();

private:
    HANDLE m_file;
};
