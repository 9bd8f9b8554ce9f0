#pragma once

#include <windows.h>

#include <functional>

// The message handling of a test's own thread: windows that a test makes (dialogs, list views,
// frame timers of displays) and the test's answers to other programs' broadcasts only work while
// the thread handles its messages.

// Handles every message that is waiting for this thread (posted and sent), then returns.
void HandleWaitingMessages();

// Asks `condition` until it holds or `timeoutMs` passed, handling this thread's messages in
// between (a message that arrives ends the wait at once, otherwise `condition` is asked every
// `pollMs`). Returns the condition's last answer.
bool WaitUntil(const std::function<bool()>& condition, DWORD timeoutMs, DWORD pollMs = 20);

// Handles this thread's messages for `milliseconds`, for work that must go on for a while (a
// display's frame timer running) rather than until a state is reached.
void PumpMessagesFor(DWORD milliseconds);

// Handles messages until none has come for `quietMs`, including those of popup menus whose menu
// loop runs inside a handled message.
void HandleMessagesUntilQuiet(DWORD quietMs = 100);
