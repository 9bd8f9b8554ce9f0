#pragma once

#include <windows.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// Files and folders for tests, made on the Windows side of the test run.

// A fresh, empty folder below the test's working directory (never inside the temporary folder,
// where the program treats itself specially). Removed with everything in it at the end.
class TestFolder {
public:
    explicit TestFolder(const std::wstring& purpose);
    ~TestFolder();
    TestFolder(const TestFolder&) = delete;
    TestFolder& operator=(const TestFolder&) = delete;

    const std::wstring& Path() const { return m_path; }
    // Path of an entry inside the folder.
    std::wstring operator/(const std::wstring& name) const { return m_path + L"\\" + name; }

private:
    std::wstring m_path;
};

void RemoveTree(const std::wstring& path);

// The names of the entries of `folder` (files and folders, without "." and ".."), sorted.
std::vector<std::wstring> EntryNamesIn(const std::wstring& folder);

bool WriteFileBytes(const std::wstring& path, const std::vector<uint8_t>& bytes);
bool WriteFileBytes(const std::wstring& path, const std::string& bytes);
// Null when the file cannot be read.
std::optional<std::vector<uint8_t>> ReadFileBytes(const std::wstring& path);
bool FileExists(const std::wstring& path);
bool FolderExists(const std::wstring& path);
// Whether the folder (given with or without its trailing backslash) exists and holds nothing.
bool FolderIsEmpty(const std::wstring& folder);

// UTF-16 LE with byte-order mark, the form the program keeps its settings in.
std::vector<uint8_t> Utf16FileBytes(const std::wstring& text);
bool StartsWithUtf16Mark(const std::vector<uint8_t>& bytes);

// Reads a value with the profile functions; `fallback` when the key is missing.
std::wstring ReadIniValue(const std::wstring& file, const std::wstring& section, const std::wstring& key,
                          const std::wstring& fallback = L"<missing>");

// The Windows form of a path that the Linux side handed over (drive Z: maps the Linux root).
std::wstring WindowsPathFromHost(const std::string& hostPath);

// The built Orbelin.exe (CTest hands its path over in ORBELIN_EXE); empty when it is not set.
std::wstring BuiltProgramPath();

// Keeps a copy of a file (or the knowledge that it was absent) and puts it back at the end,
// so that tests leave shared files such as the per-user settings as they found them.
class FileRestorer {
public:
    explicit FileRestorer(std::wstring path);
    ~FileRestorer();
    FileRestorer(const FileRestorer&) = delete;
    FileRestorer& operator=(const FileRestorer&) = delete;

private:
    std::wstring m_path;
    std::optional<std::vector<uint8_t>> m_saved;
};
