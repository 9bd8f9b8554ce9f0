#pragma once

#include <string>
#include <vector>

// While it lives, the shell's "open" verb for the given file types (".png", ...) starts the
// open_recorder fixture instead of a viewer; what it was asked to open can then be read back.
// The registry classes are restored afterwards.
class ShellOpenRecorder {
public:
    explicit ShellOpenRecorder(std::vector<std::wstring> types);
    ~ShellOpenRecorder();
    ShellOpenRecorder(const ShellOpenRecorder&) = delete;
    ShellOpenRecorder& operator=(const ShellOpenRecorder&) = delete;

    // What was opened so far, one entry per request, oldest first.
    std::vector<std::wstring> Opened() const;
    // Waits until at least `count` requests were recorded or `timeoutMs` passed.
    std::vector<std::wstring> WaitForOpened(size_t count, unsigned timeoutMs) const;

private:
    struct SavedDefault {
        std::wstring type;
        bool existed;
        std::wstring value;
    };
    std::vector<SavedDefault> m_saved;
    std::wstring m_recordFile;
};
