#pragma once

#include <string>
#include <vector>

// While it lives, the shell's "open" verb for the given file types (".png", ...) and address
// schemes ("http", "https", ...) starts the open_recorder fixture instead of a viewer or browser;
// what it was asked to open can then be read back. The registry classes are restored afterwards.
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
    // The key whose default value was replaced, that value, and the key to remove when the
    // type had no class at all before.
    struct SavedDefault {
        std::wstring key;
        bool existed;
        std::wstring value;
        std::wstring typeKey;
        bool typeExisted;
    };
    std::vector<SavedDefault> m_saved;
    std::wstring m_recordFile;
};
