#pragma once

// Runs the main thread's message loop until a quit request arrives; returns the quit code.
int RunMessageLoop();
