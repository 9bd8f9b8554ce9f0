#include "e2e/debug_output_recorder.h"

namespace {

// What OutputDebugStringW raises first; its third and fourth arguments are the text in the
// program's code page. A debugger that does not take it gets the same text through
// OutputDebugStringA.
constexpr DWORD kWideDebugPrint = 0x4001000A;

}  // namespace

DebugOutputRecorder::DebugOutputRecorder(DWORD processId) : m_processId(processId) {
    m_attachDone.Reset(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    m_thread.Reset(CreateThread(nullptr, 0, ThreadEntry, this, 0, nullptr));
}

DebugOutputRecorder::~DebugOutputRecorder() {
    m_stop = true;
    if (m_thread.IsValid()) WaitForSingleObject(m_thread.Get(), 10000);
}

bool DebugOutputRecorder::Attached(DWORD timeoutMs) {
    if (!m_thread.IsValid() || !m_attachDone.IsValid()) return false;
    WaitForSingleObject(m_attachDone.Get(), timeoutMs);
    return m_attached;
}

std::vector<std::string> DebugOutputRecorder::Lines() const {
    std::lock_guard<std::mutex> guard(m_lock);
    return m_lines;
}

DWORD WINAPI DebugOutputRecorder::ThreadEntry(void* parameter) {
    static_cast<DebugOutputRecorder*>(parameter)->Run();
    return 0;
}

void DebugOutputRecorder::Append(const std::string& text) {
    std::lock_guard<std::mutex> guard(m_lock);
    for (char c : text) {
        if (c == '\0') continue;
        if (c == '\n') {
            m_lines.push_back(m_partialLine);
            m_partialLine.clear();
        } else if (c != '\r') {
            m_partialLine += c;
        }
    }
}

std::string DebugOutputRecorder::ReadText(HANDLE process, const void* address, size_t length, bool wide) const {
    if (process == nullptr || address == nullptr || length == 0 || length > 65536) return {};
    if (wide) {
        std::wstring text(length, L'\0');
        SIZE_T read = 0;
        if (!ReadProcessMemory(process, address, text.data(), length * sizeof(wchar_t), &read)) return {};
        text.resize(read / sizeof(wchar_t));
        const int bytes =
            WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
        std::string narrow(bytes > 0 ? bytes : 0, '\0');
        if (bytes > 0) {
            WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), narrow.data(), bytes, nullptr,
                                nullptr);
        }
        return narrow;
    }
    std::string text(length, '\0');
    SIZE_T read = 0;
    if (!ReadProcessMemory(process, address, text.data(), length, &read)) return {};
    text.resize(read);
    return text;
}

void DebugOutputRecorder::Run() {
    // The thread that attaches is the one that must wait for the debug events.
    const bool attached = DebugActiveProcess(m_processId) != FALSE;
    if (attached) DebugSetProcessKillOnExit(FALSE);
    m_attached = attached;
    SetEvent(m_attachDone.Get());
    if (!attached) return;

    HANDLE process = nullptr;  // the debug event's handle: the system closes it when debugging ends
    bool exited = false;
    while (!exited) {
        DEBUG_EVENT event{};
        if (!WaitForDebugEvent(&event, 50)) {
            if (m_stop) break;
            continue;
        }
        DWORD status = DBG_CONTINUE;
        switch (event.dwDebugEventCode) {
            case CREATE_PROCESS_DEBUG_EVENT:
                process = event.u.CreateProcessInfo.hProcess;
                if (event.u.CreateProcessInfo.hFile != nullptr) CloseHandle(event.u.CreateProcessInfo.hFile);
                break;
            case LOAD_DLL_DEBUG_EVENT:
                if (event.u.LoadDll.hFile != nullptr) CloseHandle(event.u.LoadDll.hFile);
                break;
            case OUTPUT_DEBUG_STRING_EVENT: {
                const OUTPUT_DEBUG_STRING_INFO& info = event.u.DebugString;
                const bool wide = info.fUnicode != 0;
                std::string text = ReadText(process, info.lpDebugStringData, info.nDebugStringLength, wide);
                Append(text);
                break;
            }
            case EXCEPTION_DEBUG_EVENT: {
                const EXCEPTION_RECORD& record = event.u.Exception.ExceptionRecord;
                if (record.ExceptionCode == kWideDebugPrint && record.NumberParameters >= 4) {
                    Append(ReadText(process, reinterpret_cast<const void*>(record.ExceptionInformation[3]),
                                    static_cast<size_t>(record.ExceptionInformation[2]), false));
                } else if (record.ExceptionCode != EXCEPTION_BREAKPOINT) {
                    // The program's own exceptions are its own to handle.
                    status = DBG_EXCEPTION_NOT_HANDLED;
                }
                break;
            }
            case EXIT_PROCESS_DEBUG_EVENT:
                exited = true;
                break;
            default:
                break;
        }
        ContinueDebugEvent(event.dwProcessId, event.dwThreadId, status);
    }
    if (!exited) DebugActiveProcessStop(m_processId);
}
