#pragma once

#include <windows.h>

#include <vector>

// A toolbar resource (RT_TOOLBAR, as resource compilers write the TOOLBAR statement): its button
// size and commands, 0 standing for a separator.
struct ToolbarResource {
    int buttonWidth = 24;
    int buttonHeight = 24;
    std::vector<WORD> commands;
};

// The toolbar resource `id` of `instance`; the default size and no commands when there is none or
// it is not of version 1. A count beyond the resource's size is cut to what it holds.
ToolbarResource ReadToolbarResource(HINSTANCE instance, int id);
