// ScanPictureFolder on a generated folder tree against a reference walk over the same tree that
// only enumerates it and reads the first 64 KiB of every file, alternating in one process.
// Both are reported in files per second, so the ratio is the scan's speed as a share of the
// reference's (1 / ratio is how many times longer the scan takes).
// Arguments: the tree's root folder, then optionally "rounds=<n>".

#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "bench_report.h"
#include "common/unique_handle.h"
#include "sources/folder_scan.h"

namespace {

constexpr DWORD kReferenceReadBytes = 64 * 1024;

// Reads the first 64 KiB of every file below `folder`; returns the number of files.
size_t ReferenceWalk(const std::wstring& folder, std::vector<uint8_t>& buffer) {
    size_t files = 0;
    WIN32_FIND_DATAW entry;
    HANDLE find = FindFirstFileW((folder + L"\\*.*").c_str(), &entry);
    if (find == INVALID_HANDLE_VALUE) return 0;
    do {
        const std::wstring path = folder + L"\\" + entry.cFileName;
        if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            if (wcscmp(entry.cFileName, L".") != 0 && wcscmp(entry.cFileName, L"..") != 0) {
                files += ReferenceWalk(path, buffer);
            }
            continue;
        }
        UniqueHandle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                      FILE_ATTRIBUTE_NORMAL, nullptr));
        DWORD read = 0;
        if (file.IsValid() && ReadFile(file.Get(), buffer.data(), kReferenceReadBytes, &read, nullptr)) ++files;
    } while (FindNextFileW(find, &entry));
    FindClose(find);
    return files;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    std::wstring root;
    int rounds = 5;
    for (int i = 1; i < argc; ++i) {
        if (!ReadCountArgument(argv[i], L"rounds=", rounds)) root = argv[i];
    }
    if (root.empty()) {
        std::fprintf(stderr, "usage: scan_bench <tree root> [rounds=<n>]\n");
        return 2;
    }

    std::vector<uint8_t> buffer(kReferenceReadBytes);
    const size_t files = ReferenceWalk(root, buffer);  // also warms the file cache
    PictureList list;
    ScanPictureFolder(list, root);  // also loads GDI+ and its codecs
    if (files == 0 || list.Count() == 0) {
        std::fprintf(stderr, "no files (%zu) or no pictures (%zu) below %ls\n", files, list.Count(), root.c_str());
        return 1;
    }
    std::fprintf(stderr, "tree: %zu files, %zu pictures\n", files, list.Count());

    std::vector<double> work, reference;
    for (int round = 0; round < rounds; ++round) {
        Stopwatch workTime;
        ScanPictureFolder(list, root);
        work.push_back(static_cast<double>(files) * 1000.0 / workTime.Milliseconds());

        Stopwatch referenceTime;
        ReferenceWalk(root, buffer);
        reference.push_back(static_cast<double>(files) * 1000.0 / referenceTime.Milliseconds());
    }
    PrintBenchLine("scan_picture_folder", work, reference, "files/s");
    return 0;
}
