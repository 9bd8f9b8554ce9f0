#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

// The pictures of the individual list as the picture selection dialog holds them: keyed by the
// full path in lower case, so that one file given twice, in any letter case, is held once, and
// ordered by those keys (code unit by code unit). At most 32 pictures.

inline constexpr size_t kMaxIndividualPictures = 32;

struct SelectedPicture {
    std::wstring path;   // in its own letter case
    std::wstring key;    // the path in lower case
    uint64_t bytes = 0;  // the file size when it was added
    // False for a stored path that could not be reached when the list was loaded (a drive or
    // share not connected, a file locked by another program): kept as it was stored, unchecked.
    bool confirmed = true;
};

class PictureSelectionSet {
public:
    enum class AddResult { kAdded, kAlreadyHeld, kFull };

    // Adds the picture under `key` unless the key is held already or the set is full; a key that
    // is held keeps its first path and size, unless it was held unconfirmed and comes confirmed
    // now (then it is replaced, and the answer is kAdded).
    AddResult Add(const std::wstring& key, const std::wstring& path, uint64_t bytes, bool confirmed = true);
    bool IsFull() const { return m_pictures.size() >= kMaxIndividualPictures; }
    size_t Count() const { return m_pictures.size(); }
    void Clear() { m_pictures.clear(); }
    // Every picture in key order.
    std::vector<SelectedPicture> Pictures() const;

private:
    std::map<std::wstring, SelectedPicture> m_pictures;
};
