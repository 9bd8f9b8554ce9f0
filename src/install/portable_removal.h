#pragma once

#include <string>

#include "common/unique_handle.h"

// The removal of a copy of the program that is not installed (the Info menu's "Uninstall" of a
// portable copy). It takes away only what belongs to this copy: the program file; its settings
// file (see SettingsFileOfPortableRemoval: the per-user one only when no installed copy uses
// it); the start-with-Windows values that start this very file; and, when the copy is the
// program of a portable installation (its folder's "Orbelin.exe" beside the installation's
// information file), the shortcuts that the information file records and that start it, and
// the information file itself.
//
// The program and settings files go once the program has ended, by a self-deleting batch (see
// StartSelfDeletion); the rest goes at once. Returns the open batch, which the caller keeps
// until it ends; invalid when no batch could be started: then nothing at all is removed.
UniqueHandle RemovePortableCopy(const std::wstring& programPath, const std::wstring& settingsPath);
