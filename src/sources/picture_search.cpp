#include "sources/picture_search.h"

#include "sources/picture_list.h"

std::vector<std::wstring> CompletePictureList(PictureSearch& search, const std::function<bool()>& abandon) {
    std::vector<std::wstring> found;
    SearchSlice slice;
    slice.abandon = abandon;
    search.Continue(slice, found);
    return InShowingOrder(std::move(found));
}

std::vector<std::wstring> InShowingOrder(std::vector<std::wstring> found) {
    PictureList list;
    list.Assign(std::move(found));
    return list.TakePaths();
}
