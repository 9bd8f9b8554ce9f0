#pragma once

#include <windows.h>

#include <functional>
#include <string>

#include "imaging/thumbs_list_view.h"
#include "sources/shown_pictures.h"

// The thumbnail list view bound to the picture selection dialog's shown pictures.
class CThumsListView2 : public CThumsListView {
public:
    explicit CThumsListView2(ShownPictures& pictures) : m_pictures(pictures) {}
    ~CThumsListView2() override { StopWorker(); }

    std::wstring ItemPath(int index) override { return m_pictures.PathAt(index); }
    void SetItemImage(int index, int imageIndex) override { m_pictures.SetImageAt(index, imageIndex); }
    int ItemImage(int index) override { return m_pictures.ImageAt(index); }
    void SetItemSize(int index, UINT width, UINT height) override { m_pictures.SetSizeAt(index, width, height); }
    void ResetItemImages() override { m_pictures.ResetImages(); }
    int ItemIndexOf(const std::wstring& path) override { return m_pictures.IndexOf(path); }
    ItemClaim ClaimItem(int index, const std::wstring& path) override { return m_pictures.Claim(index, path); }
    void RenumberItemImages(const std::function<int(int)>& renumber) override { m_pictures.RenumberImages(renumber); }

private:
    ShownPictures& m_pictures;
};
