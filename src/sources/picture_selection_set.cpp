#include "sources/picture_selection_set.h"

PictureSelectionSet::AddResult PictureSelectionSet::Add(const std::wstring& key, const std::wstring& path,
                                                        uint64_t bytes, bool confirmed) {
    const auto held = m_pictures.find(key);
    if (held != m_pictures.end()) {
        if (held->second.confirmed || !confirmed) return AddResult::kAlreadyHeld;
        held->second = SelectedPicture{path, key, bytes, confirmed};
        return AddResult::kAdded;
    }
    if (IsFull()) return AddResult::kFull;
    m_pictures.emplace(key, SelectedPicture{path, key, bytes, confirmed});
    return AddResult::kAdded;
}

std::vector<SelectedPicture> PictureSelectionSet::Pictures() const {
    std::vector<SelectedPicture> pictures;
    pictures.reserve(m_pictures.size());
    for (const auto& [key, picture] : m_pictures) pictures.push_back(picture);
    return pictures;
}
