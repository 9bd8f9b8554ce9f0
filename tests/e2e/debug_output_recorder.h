#pragma once

#include <windows.h>

#include <atomic>
#include <mutex>
#include <string>
#include <vector>

#include "common/unique_handle.h"

// Attaches to a running program as its debugger and keeps the lines it writes to the debugger
// output (OutputDebugString), as a debugger on the user's machine would show them. The program
// runs on unchanged meanwhile; when the recorder goes it detaches and leaves the program running.
class DebugOutputRecorder {
public:
    // Starts attaching to the process; Attached says whether that worked.
    explicit DebugOutputRecorder(DWORD processId);
    ~DebugOutputRecorder();
    DebugOutputRecorder(const DebugOutputRecorder&) = delete;
    DebugOutputRecorder& operator=(const DebugOutputRecorder&) = delete;

    // Waits up to `timeoutMs` for the attachment; false when it failed or did not come in time.
    bool Attached(DWORD timeoutMs);
    // The complete lines written so far (without their line ends), oldest first.
    std::vector<std::string> Lines() const;

private:
    static DWORD WINAPI ThreadEntry(void* parameter);
    void Run();
    // Adds debugger output of the program: text up to a line end completes a line.
    void Append(const std::string& text);
    // Reads `length` bytes (or wide characters) of the program's memory at `address`.
    std::string ReadText(HANDLE process, const void* address, size_t length, bool wide) const;

    DWORD m_processId;
    std::atomic<bool> m_stop{false};
    UniqueHandle m_attachDone;  // set once the attachment worked or failed
    std::atomic<bool> m_attached{false};
    UniqueHandle m_thread;
    mutable std::mutex m_lock;
    std::vector<std::string> m_lines;
    std::string m_partialLine;
};
