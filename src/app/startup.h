#pragma once

#include <windows.h>

#include <functional>

// Exit code of a start that found the program already running.
inline constexpr int kExitAlreadyRunning = 45054;

// The whole life of the process: prepares it, reads the command line, runs the start mode and
// for a normal start the message loop. Returns the process exit code.
int RunProgram(HINSTANCE instance, const wchar_t* commandLine);

// Starts another copy of the program in this one's place (restart, uninstall): lets go of the
// single-instance mutex so that the new copy runs as the program rather than signalling this
// one, runs `startOtherCopy`, and takes the mutex back when it reports failure, so that this
// copy stays the running one. Returns what `startOtherCopy` reported; the caller ends the
// message loop on success.
bool StartInPlaceOfThisCopy(const std::function<bool()>& startOtherCopy);
