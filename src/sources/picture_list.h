#pragma once

#include <cstddef>
#include <string>
#include <vector>

// The picture files a display shows from a folder or from the individual list: full paths,
// each present once, in ascending order of their UTF-16 code units (case-sensitive, so "Z"
// comes before "a", and a path comes before every longer path that begins with it). A display
// owns one list and builds it on its worker thread; the list itself has no lock.
class PictureList {
public:
    void Clear() { m_paths.clear(); }
    // The list becomes these paths, put in order, each once.
    void Assign(std::vector<std::wstring> paths);
    // Hands the paths over in order and leaves the list empty.
    std::vector<std::wstring> TakePaths() { return std::move(m_paths); }
    // Inserting a path that is already present changes nothing.
    void Insert(const std::wstring& path);
    size_t Count() const { return m_paths.size(); }
    // The path at `position` (0 .. Count() - 1); an empty text for a position past the end.
    const std::wstring& At(size_t position) const;

private:
    // Kept sorted; std::wstring compares code unit by code unit, which is the order wanted.
    std::vector<std::wstring> m_paths;
};
