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
