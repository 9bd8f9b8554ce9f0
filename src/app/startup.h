#pragma once

#include <windows.h>

#include "app/command_line.h"

// Exit code of a start that found the program already running.
inline constexpr int kExitAlreadyRunning = 45054;

// The whole life of the process: prepares it, reads the command line, runs the start mode and
// for a normal start the message loop. Returns the process exit code.
int RunProgram(HINSTANCE instance, const wchar_t* commandLine);

// The options this process was started with; set before any window exists.
const StartOptions& StartFlags();
