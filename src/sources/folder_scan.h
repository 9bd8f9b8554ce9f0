#pragma once

#include <atomic>
#include <functional>
#include <string>

#include <memory>
#include <vector>

#include "sources/picture_acceptance.h"
#include "sources/picture_list.h"
#include "sources/picture_search.h"

// Clears `list` and fills it with every picture file in `folder` and, at any depth, in all of
// its subfolders, hidden and system ones included. Entries are full paths: the folder's full
// path (GetFullPathNameW) followed by "\" and the names below it. A folder given with or
// without a final "\" scans the same tree. A folder whose search pattern ("<folder>\*.*")
// reaches 260 characters, or that cannot be enumerated, contributes nothing; an empty folder
// path gives an empty list.
//
// Every directory is visited once, known by its volume serial number and file index, so links
// that lead back into the tree end; a directory behind a link that cannot be opened to learn
// its identity is skipped. A folder that disappears during the scan ends its part of the scan
// with what was found. The walk keeps its own stack of open enumerations, so the depth of the
// tree does not reach the thread's stack.
//
// When `stopRequest` is given and becomes true the scan ends early, keeping what it found.
void ScanPictureFolder(PictureList& list, const std::wstring& folder, const std::atomic<bool>* stopRequest = nullptr);

// The same walk with another test for the files (the benchmark's reference, tests that act
// during a scan). `isPicture` is called once for each file, with its full path.
void ScanFolderTree(PictureList& list, const std::wstring& folder,
                    const std::function<bool(const std::wstring&)>& isPicture,
                    const std::atomic<bool>* stopRequest = nullptr);

class TreeWalk;

// The same walk a slice at a time, for a display that shows the first pictures of a large tree
// while it walks on. Each picture file is tested with `isPicture` once. The tree is the one of
// the folder at construction; a folder deleted during the search ends its part of the walk.
class FolderSearch : public PictureSearch {
public:
    explicit FolderSearch(const std::wstring& folder,
                          std::function<bool(const std::wstring&)> isPicture = IsAcceptedPicture);
    ~FolderSearch() override;
    FolderSearch(const FolderSearch&) = delete;
    FolderSearch& operator=(const FolderSearch&) = delete;

    bool Continue(const SearchSlice& slice, std::vector<std::wstring>& found) override;
    bool IsDone() const;

private:
    std::unique_ptr<TreeWalk> m_walk;
};
