#include "sources/folder_scan.h"

#include <windows.h>

#include <cstdint>
#include <memory>
#include <set>
#include <utility>
#include <vector>

#include "common/unique_handle.h"
#include "sources/picture_acceptance.h"

namespace {

// Search patterns this long or longer are not enumerated.
constexpr size_t kMaxPatternLength = 260;

// Owns one enumeration handle of FindFirstFileW and closes it with FindClose.
class FindHandle {
public:
    explicit FindHandle(HANDLE handle) : m_handle(handle) {}
    ~FindHandle() {
        if (IsValid()) FindClose(m_handle);
    }
    FindHandle(const FindHandle&) = delete;
    FindHandle& operator=(const FindHandle&) = delete;
    FindHandle(FindHandle&& other) noexcept : m_handle(std::exchange(other.m_handle, INVALID_HANDLE_VALUE)) {}
    FindHandle& operator=(FindHandle&&) = delete;

    bool IsValid() const { return m_handle != INVALID_HANDLE_VALUE && m_handle != nullptr; }
    HANDLE Get() const { return m_handle; }

private:
    HANDLE m_handle;
};

// One open folder of the walk: its enumeration, the full path its entries are named under
// ("<folder full path>\"), and the entry read but not yet handled.
struct OpenFolder {
    FindHandle find;
    std::wstring entryPrefix;
    WIN32_FIND_DATAW pending;
    bool hasPending;
};

using DirectoryIdentity = std::pair<DWORD, uint64_t>;  // volume serial number, file index

// The identity of a directory; empty when it cannot be opened or asked.
bool IdentifyDirectory(const std::wstring& path, DirectoryIdentity& identity) {
    const UniqueHandle handle(CreateFileW(path.c_str(), FILE_READ_ATTRIBUTES,
                                          FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                          FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    BY_HANDLE_FILE_INFORMATION information{};
    if (!handle.IsValid() || !GetFileInformationByHandle(handle.Get(), &information)) return false;
    identity = {information.dwVolumeSerialNumber,
                (uint64_t{information.nFileIndexHigh} << 32) | information.nFileIndexLow};
    return true;
}

}  // namespace

// The walk over a folder tree, resumable: each call of `Continue` handles entries until the
// walk ends, the slice's time runs out or the caller asks it to stop.
class TreeWalk {
public:
    explicit TreeWalk(std::function<bool(const std::wstring&)> isPicture) : m_isPicture(std::move(isPicture)) {}

    void Begin(const std::wstring& folder) {
        m_open.clear();
        m_visited.clear();
        Visit(folder, false);
    }

    bool IsDone() const { return m_open.empty(); }

    // Handles entries, appending the pictures to `found`, until the walk ends (true), or until
    // `deadlineMs` (a GetTickCount64 time; 0 for none) passed, `maxEntries` entries (0 for no
    // limit) were handled or `stop` says so (false).
    bool Continue(std::vector<std::wstring>& found, uint64_t deadlineMs, size_t maxEntries,
                  const std::function<bool()>& stop) {
        size_t handled = 0;
        while (!m_open.empty()) {
            if ((stop && stop()) || (maxEntries != 0 && handled >= maxEntries) ||
                (deadlineMs != 0 && GetTickCount64() >= deadlineMs)) {
                return false;
            }
            ++handled;
            OpenFolder& top = m_open.back();
            if (!top.hasPending && !FindNextFileW(top.find.Get(), &top.pending)) {
                m_open.pop_back();  // the end of the folder, or the folder is gone
                continue;
            }
            top.hasPending = false;
            const WIN32_FIND_DATAW entry = top.pending;
            const std::wstring path = top.entryPrefix + entry.cFileName;
            if ((entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
                if (m_isPicture(path)) found.push_back(path);
            } else if (!IsDotEntry(entry.cFileName)) {
                Visit(path, (entry.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0);  // may move `top`
            }
        }
        return true;
    }

private:
    static bool IsDotEntry(const wchar_t* name) {
        return (name[0] == L'.' && name[1] == L'\0') || (name[0] == L'.' && name[1] == L'.' && name[2] == L'\0');
    }

    // Starts the enumeration of a folder and puts it on top of the walk, unless it was visited
    // already or cannot be enumerated.
    void Visit(std::wstring folder, bool isLink) {
        if (folder.empty()) return;
        if (folder.back() != L'\\') folder += L'\\';
        const std::wstring pattern = folder + L"*.*";
        if (pattern.size() >= kMaxPatternLength) return;

        DirectoryIdentity identity;
        if (IdentifyDirectory(folder, identity)) {
            if (!m_visited.insert(identity).second) return;
        } else if (isLink) {
            return;  // a link whose target is unknown might lead back into the tree
        }

        const DWORD needed = GetFullPathNameW(pattern.c_str(), 0, nullptr, nullptr);
        if (needed == 0) return;
        std::wstring prefix(needed, L'\0');
        const DWORD length = GetFullPathNameW(pattern.c_str(), needed, prefix.data(), nullptr);
        if (length == 0 || length >= needed) return;
        prefix.resize(length);
        const size_t cut = prefix.find_last_of(L"\\/");
        if (cut == std::wstring::npos) return;
        prefix.resize(cut);
        prefix += L'\\';

        WIN32_FIND_DATAW first;
        HANDLE find = FindFirstFileW(pattern.c_str(), &first);
        if (find == INVALID_HANDLE_VALUE) return;
        m_open.push_back(OpenFolder{FindHandle(find), std::move(prefix), first, true});
    }

    std::function<bool(const std::wstring&)> m_isPicture;
    std::vector<OpenFolder> m_open;
    std::set<DirectoryIdentity> m_visited;
};

void ScanFolderTree(PictureList& list, const std::wstring& folder,
                    const std::function<bool(const std::wstring&)>& isPicture, const std::atomic<bool>* stopRequest) {
    list.Clear();
    if (!isPicture) return;
    TreeWalk walk(isPicture);
    walk.Begin(folder);
    std::vector<std::wstring> found;
    walk.Continue(found, 0, 0, [stopRequest] {
        return stopRequest != nullptr && stopRequest->load(std::memory_order_relaxed);
    });
    list.Assign(std::move(found));
}

void ScanPictureFolder(PictureList& list, const std::wstring& folder, const std::atomic<bool>* stopRequest) {
    ScanFolderTree(list, folder, IsAcceptedPicture, stopRequest);
}

FolderSearch::FolderSearch(const std::wstring& folder, std::function<bool(const std::wstring&)> isPicture)
    : m_walk(std::make_unique<TreeWalk>(std::move(isPicture))) {
    m_walk->Begin(folder);
}

FolderSearch::~FolderSearch() = default;

bool FolderSearch::Continue(const SearchSlice& slice, std::vector<std::wstring>& found) {
    const uint64_t deadline = slice.milliseconds != 0 ? GetTickCount64() + slice.milliseconds : 0;
    return m_walk->Continue(found, deadline, slice.maxEntries, slice.abandon);
}

bool FolderSearch::IsDone() const { return m_walk->IsDone(); }
