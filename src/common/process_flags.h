#pragma once

#include <windows.h>

#include <atomic>

// Flags that several threads of the program share. Relaxed order is enough: each is a request
// that its reader checks on its next pass.

// Counts the requests to build every display's picture lists again (a new folder, a changed
// individual list). Each display's worker remembers the count it handled last, so every display
// sees every request, whichever worker looks first.
inline std::atomic<unsigned> g_pictureListRebuildCount{0};
inline void RequestPictureListRebuild() { g_pictureListRebuildCount.fetch_add(1, std::memory_order_relaxed); }

// Raised by the settings dialog's snapshot button; the current display (the one the dialog
// edits) takes the snapshot with its next frame, shown or not, and clears it.
inline std::atomic<bool> g_snapshotRequest{false};

// The user's "Disable": no display window is created and existing ones stay hidden.
inline std::atomic<bool> g_displaysDisabled{false};

// Deactivation after user input: -1 not checked yet, 0 shown, 1 hidden until the delay ran out.
inline std::atomic<int> g_deactivatedState{-1};

// Set when the program quits; every worker and frame timer stops at its next pass. A thread that
// sleeps until something is due waits on its event too, which is set together with the flag.
class ProgramStopFlag {
public:
    ProgramStopFlag& operator=(bool stop) {
        m_stop.store(stop, std::memory_order_relaxed);
        if (stop) {
            SetEvent(Event());
        } else {
            ResetEvent(Event());
        }
        return *this;
    }
    bool load(std::memory_order order = std::memory_order_seq_cst) const { return m_stop.load(order); }
    operator bool() const { return load(); }

    // A manual-reset event, set while the flag is. Made on first use and never closed: threads
    // may still wait on it while the process ends.
    static HANDLE Event() {
        static const HANDLE event = CreateEventW(nullptr, TRUE, FALSE, nullptr);
        return event;
    }

private:
    std::atomic<bool> m_stop{false};
};
inline ProgramStopFlag g_stopFlag;
