#pragma once

#include <windows.h>

#include <cstdint>

// Finds the GDI+ encoder whose MIME type equals `mimeType` exactly (case-sensitive). Returns its
// index and copies its class id into `classId`; returns -1, leaving `classId` alone, when there
// is none.
int FindEncoder(const wchar_t* mimeType, CLSID* classId);

// Writes a 32-bit bitmap as a PNG file: first sets the alpha of every coloured pixel of the
// bitmap to `alpha` (this changes the caller's pixels), then copies it pixel by pixel, rows in
// the bitmap's memory order. The caller keeps the handle. Returns false when nothing was written.
bool SavePng(HBITMAP bitmap, const wchar_t* path, uint8_t alpha);
