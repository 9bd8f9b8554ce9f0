#include "sources/picture_list.h"

#include <algorithm>

void PictureList::Insert(const std::wstring& path) {
    // Enumerations deliver most names in ascending order, so most paths go to the end.
    if (m_paths.empty() || m_paths.back() < path) {
        m_paths.push_back(path);
        return;
    }
    const auto place = std::lower_bound(m_paths.begin(), m_paths.end(), path);
    if (place != m_paths.end() && *place == path) return;
    m_paths.insert(place, path);
}

const std::wstring& PictureList::At(size_t position) const {
    static const std::wstring kNoPath;
    return position < m_paths.size() ? m_paths[position] : kNoPath;
}

void PictureList::Assign(std::vector<std::wstring> paths) {
    std::sort(paths.begin(), paths.end());
    paths.erase(std::unique(paths.begin(), paths.end()), paths.end());
    m_paths = std::move(paths);
}
