#pragma once

#include <string>

// Writes `zipPath` as a zip archive holding the file `sourcePath` under `entryName` (ASCII),
// stored without compression, with the file's time of last change. An existing archive is
// replaced. Returns false when the source cannot be read or is too large for a zip archive
// (MaxZipFileSize), or the archive cannot be written; no partial archive is left behind then.
bool WriteSingleFileZip(const std::wstring& zipPath, const std::wstring& sourcePath, const std::string& entryName);
