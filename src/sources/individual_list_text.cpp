#include "sources/individual_list_text.h"

std::wstring IndividualListText(const std::vector<std::wstring>& paths) {
    std::wstring text;
    for (const std::wstring& path : paths) {
        text += path;
        text += L"\r\n";
    }
    return text;
}

std::vector<std::wstring> IndividualListCandidates(std::wstring_view text) {
    std::vector<std::wstring> candidates;
    std::wstring piece;
    for (wchar_t c : text) {
        if (c == L'\r') continue;
        if (c != L'\n') {
            piece += c;
            continue;
        }
        if (piece.size() >= kMinIndividualPathLength) candidates.push_back(piece);
        piece.clear();
    }
    return candidates;
}
