#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "imaging/thumbs_list_view.h"
#include "sources/picture_selection_set.h"

// One picture as the list view shows it.
struct ShownPicture {
    std::wstring path;
    std::wstring key;
    uint64_t bytes = 0;
    bool isFolder = false;
    // Out of reach (missing, on a drive or share not connected, locked, or never checked since
    // the list was loaded): shown with its path, the size "?" and no thumbnail.
    bool unreachable = false;
    int imageIndex = -1;  // thumbnail state: -1 none yet, -2 being made, failed or out of reach, else the image
    UINT width = 0;       // the size the shell reported with its thumbnail (0 otherwise)
    UINT height = 0;
};

// The pictures the list view shows, numbered 0, 1, 2 ... in picture set order. The dialog's
// thread rebuilds it while the thumbnail thread reads paths and writes thumbnail states, so
// every access holds its lock.
class ShownPictures {
public:
    // Replaces the sequence. Without `resetThumbnails` a picture that was shown before keeps its
    // thumbnail state, unless it came into reach or went out of it. A picture out of reach gets
    // no thumbnail (-2).
    void Replace(std::vector<ShownPicture> pictures, bool resetThumbnails);
    void Clear();
    size_t Count() const;
    // A copy of the picture at `index`; false for an index beyond the sequence.
    bool At(int index, ShownPicture& picture) const;
    std::vector<ShownPicture> All() const;

    // For the thumbnail view; an index beyond the sequence reads "???" / -1 and changes nothing.
    std::wstring PathAt(int index) const;
    int ImageAt(int index) const;
    void SetImageAt(int index, int imageIndex);
    void SetSizeAt(int index, UINT width, UINT height);
    void ResetImages();
    // The index of the picture with this path; -1 when none has it.
    int IndexOf(const std::wstring& path) const;
    // In one step: when the picture at `index` has this path and no thumbnail yet (-1), marks it
    // as being made (-2).
    CThumsListView::ItemClaim Claim(int index, const std::wstring& path);
    // Every thumbnail image (0 and above) becomes renumber(image).
    void RenumberImages(const std::function<int(int)>& renumber);

private:
    mutable std::mutex m_lock;
    std::vector<ShownPicture> m_pictures;
};
