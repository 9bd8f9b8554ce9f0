#pragma once

#include <atomic>

// Flags that several threads of the program share. Relaxed order is enough: each is a request
// that its reader checks on its next pass.

// Raised when the displays' picture lists must be built again; a display worker that finds it
// raised clears it and rebuilds.
inline std::atomic<bool> g_pictureListRebuildRequest{false};

// Raised by the settings dialog's snapshot button; the first display that shows a frame after
// it takes the snapshot and clears it.
inline std::atomic<bool> g_snapshotRequest{false};

// The user's "Disable": no display window is created and existing ones stay hidden.
inline std::atomic<bool> g_displaysDisabled{false};

// Deactivation after user input: -1 not checked yet, 0 shown, 1 hidden until the delay ran out.
inline std::atomic<int> g_deactivatedState{-1};

// Set when the program quits; every worker and frame timer stops at its next pass.
inline std::atomic<bool> g_stopFlag{false};
