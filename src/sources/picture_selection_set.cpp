#include "sources/picture_selection_set.h"

PictureSelectionSet::AddResult PictureSelectionSet::Add(const std::wstring& key, const std::wstring& path,
                                                        uint64_t bytes) {
    if (IsFull()) return AddResult::kFull;
    const bool added = m_pictures.emplace(key, SelectedPicture{path, key, bytes}).second;
    return added ? AddResult::kAdded : AddResult::kAlreadyHeld;
}

std::vector<SelectedPicture> PictureSelectionSet::Pictures() const {
    std::vector<SelectedPicture> pictures;
    pictures.reserve(m_pictures.size());
    for (const auto& [key, picture] : m_pictures) pictures.push_back(picture);
    return pictures;
}
