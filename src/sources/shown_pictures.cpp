#include "sources/shown_pictures.h"

#include <map>

void ShownPictures::Replace(std::vector<ShownPicture> pictures, bool resetThumbnails) {
    std::lock_guard<std::mutex> lock(m_lock);
    std::map<std::wstring, const ShownPicture*> previous;
    if (!resetThumbnails) {
        for (const ShownPicture& picture : m_pictures) previous[picture.key] = &picture;
    }
    for (ShownPicture& picture : pictures) {
        if (picture.unreachable) {
            picture.imageIndex = -2;
            continue;
        }
        const auto found = previous.find(picture.key);
        if (found == previous.end() || found->second->unreachable) continue;
        picture.imageIndex = found->second->imageIndex;
        picture.width = found->second->width;
        picture.height = found->second->height;
    }
    m_pictures = std::move(pictures);
}

void ShownPictures::Clear() {
    std::lock_guard<std::mutex> lock(m_lock);
    m_pictures.clear();
}

size_t ShownPictures::Count() const {
    std::lock_guard<std::mutex> lock(m_lock);
    return m_pictures.size();
}

bool ShownPictures::At(int index, ShownPicture& picture) const {
    std::lock_guard<std::mutex> lock(m_lock);
    if (index < 0 || static_cast<size_t>(index) >= m_pictures.size()) return false;
    picture = m_pictures[index];
    return true;
}

std::vector<ShownPicture> ShownPictures::All() const {
    std::lock_guard<std::mutex> lock(m_lock);
    return m_pictures;
}

std::wstring ShownPictures::PathAt(int index) const {
    std::lock_guard<std::mutex> lock(m_lock);
    if (index < 0 || static_cast<size_t>(index) >= m_pictures.size()) return L"???";
    return m_pictures[index].path;
}

int ShownPictures::ImageAt(int index) const {
    std::lock_guard<std::mutex> lock(m_lock);
    if (index < 0 || static_cast<size_t>(index) >= m_pictures.size()) return -1;
    return m_pictures[index].imageIndex;
}

void ShownPictures::SetImageAt(int index, int imageIndex) {
    std::lock_guard<std::mutex> lock(m_lock);
    if (index < 0 || static_cast<size_t>(index) >= m_pictures.size()) return;
    m_pictures[index].imageIndex = imageIndex;
}

void ShownPictures::SetSizeAt(int index, UINT width, UINT height) {
    std::lock_guard<std::mutex> lock(m_lock);
    if (index < 0 || static_cast<size_t>(index) >= m_pictures.size()) return;
    m_pictures[index].width = width;
    m_pictures[index].height = height;
}

void ShownPictures::ResetImages() {
    std::lock_guard<std::mutex> lock(m_lock);
    for (ShownPicture& picture : m_pictures) picture.imageIndex = picture.unreachable ? -2 : -1;
}

int ShownPictures::IndexOf(const std::wstring& path) const {
    std::lock_guard<std::mutex> lock(m_lock);
    for (size_t i = 0; i < m_pictures.size(); ++i) {
        if (m_pictures[i].path == path) return static_cast<int>(i);
    }
    return -1;
}

CThumsListView::ItemClaim ShownPictures::Claim(int index, const std::wstring& path) {
    std::lock_guard<std::mutex> lock(m_lock);
    if (index < 0 || static_cast<size_t>(index) >= m_pictures.size() || m_pictures[index].path != path) {
        return CThumsListView::ItemClaim::kOtherPath;
    }
    if (m_pictures[index].imageIndex != -1) return CThumsListView::ItemClaim::kNotNeeded;
    m_pictures[index].imageIndex = -2;
    return CThumsListView::ItemClaim::kClaimed;
}

void ShownPictures::RenumberImages(const std::function<int(int)>& renumber) {
    std::lock_guard<std::mutex> lock(m_lock);
    for (ShownPicture& picture : m_pictures) {
        if (picture.imageIndex >= 0) picture.imageIndex = renumber(picture.imageIndex);
    }
}
