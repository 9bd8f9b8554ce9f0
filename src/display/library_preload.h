#pragma once

#include "common/unique_handle.h"

// Loads what a display's first frame needs and what takes longest to load (GDI+ for the sample
// pictures, the OpenGL driver for the render target) on a thread of its own, while the start goes
// on with the main window and the settings; the display made then finds both loaded. Made and
// ended on one thread.
class LibraryPreload {
public:
    LibraryPreload() = default;
    // Waits for the thread: a thread ended in the middle of loading a library could leave the
    // loader locked for the rest of the process's end.
    ~LibraryPreload();
    LibraryPreload(const LibraryPreload&) = delete;
    LibraryPreload& operator=(const LibraryPreload&) = delete;

    // Starts the loading once; nothing happens when no thread can be made (the display then
    // loads the libraries itself, as it would anyway).
    void Start();

private:
    static DWORD WINAPI LoadEntry(void* parameter);

    UniqueHandle m_thread;
};
