#include "sources/toolbar_resource.h"

#include <algorithm>

ToolbarResource ReadToolbarResource(HINSTANCE instance, int id) {
    ToolbarResource toolbar;
    HRSRC found = FindResourceW(instance, MAKEINTRESOURCEW(id), MAKEINTRESOURCEW(241));  // RT_TOOLBAR
    if (found == nullptr) return toolbar;
    const DWORD size = SizeofResource(instance, found);
    HGLOBAL loaded = LoadResource(instance, found);
    const auto* words = static_cast<const WORD*>(loaded != nullptr ? LockResource(loaded) : nullptr);
    // version, width, height, count, then the commands
    if (words == nullptr || size < 8 || words[0] != 1) return toolbar;
    toolbar.buttonWidth = words[1];
    toolbar.buttonHeight = words[2];
    const size_t count = std::min<size_t>(words[3], (size - 8) / sizeof(WORD));
    toolbar.commands.assign(words + 4, words + 4 + count);
    return toolbar;
}
