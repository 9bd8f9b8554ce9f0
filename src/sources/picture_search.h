#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

// A search for the pictures of a display's source, done a slice at a time: a display shows the
// first pictures it finds while the rest of a large folder tree is still being walked. When the
// search is complete, the pictures found, put in the picture list's order, are the whole list.

// How much of a search one call may do.
struct SearchSlice {
    uint64_t milliseconds = 0;  // 0: no time limit
    size_t maxEntries = 0;      // folder entries to look at; 0: no limit
    // Asked before each entry: true ends the slice at once (a new source, a rebuild request).
    std::function<bool()> abandon;
};

class PictureSearch {
public:
    virtual ~PictureSearch() = default;
    // Searches on, appending the pictures found to `found` in the order they were found. Returns
    // true when the search is complete; false when the slice ended first.
    virtual bool Continue(const SearchSlice& slice, std::vector<std::wstring>& found) = 0;
};

// A search over a list known in full: the whole list with the first slice.
class FixedPictureSearch : public PictureSearch {
public:
    explicit FixedPictureSearch(std::vector<std::wstring> pictures) : m_pictures(std::move(pictures)) {}
    bool Continue(const SearchSlice&, std::vector<std::wstring>& found) override {
        found.insert(found.end(), m_pictures.begin(), m_pictures.end());
        m_pictures.clear();
        return true;
    }

private:
    std::vector<std::wstring> m_pictures;
};

// Runs the search to its end and returns its pictures in the order of showing (the picture
// list's order); stops early when `abandon` says so, keeping what was found.
std::vector<std::wstring> CompletePictureList(PictureSearch& search, const std::function<bool()>& abandon = {});

// The pictures found, in the picture list's order (each once).
std::vector<std::wstring> InShowingOrder(std::vector<std::wstring> found);
