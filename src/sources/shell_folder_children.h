#pragma once

#include <string>
#include <vector>

// The paths of the direct children of a shell folder (folders, files and hidden items) that have
// a file-system path, as the shell lists them; empty when `path` is no shell folder. A drive root
// dropped on the picture selection dialog is walked this way. The calling thread has COM.
std::vector<std::wstring> ShellFolderChildren(const std::wstring& path);
