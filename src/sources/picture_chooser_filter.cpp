#include "sources/picture_chooser_filter.h"

#include <algorithm>

namespace {

wchar_t LowerAscii(wchar_t c) { return c >= L'A' && c <= L'Z' ? static_cast<wchar_t>(c - L'A' + L'a') : c; }

bool IsPlainExtension(std::wstring_view extension) {
    if (extension.empty()) return false;
    return std::none_of(extension.begin(), extension.end(), [](wchar_t c) {
        return c == L'*' || c == L'?' || c == L'.' || c == L' ' || c == L'\t' || c == L'\\' || c == L'/' || c == L':' ||
               c == L'"' || c == L'<' || c == L'>' || c == L'|' || c < 0x20;
    });
}

std::wstring_view Trimmed(std::wstring_view text) {
    while (!text.empty() && (text.front() == L' ' || text.front() == L'\t')) text.remove_prefix(1);
    while (!text.empty() && (text.back() == L' ' || text.back() == L'\t')) text.remove_suffix(1);
    return text;
}

}  // namespace

const std::vector<std::wstring>& KnownPictureExtensions() {
    static const std::vector<std::wstring> extensions = {
        // As the chooser listed them first.
        L"jpg", L"jpeg", L"png", L"bmp", L"gif",
        // The rest of what GDI+ decodes.
        L"jpe", L"jfif", L"dib", L"tif", L"tiff", L"ico", L"emf", L"wmf",
        // Photo formats of today's phones and cameras through the system's codecs.
        L"heic", L"heif", L"hif", L"avif", L"webp", L"jxr", L"wdp", L"hdp", L"dds", L"dng",
        // Camera raw files.
        L"arw", L"cr2", L"cr3", L"crw", L"erf", L"kdc", L"mrw", L"nef", L"nrw", L"orf", L"pef", L"raf", L"raw", L"rw2",
        L"rwl", L"sr2", L"srf", L"srw", L"x3f"};
    return extensions;
}

std::vector<std::wstring> SplitExtensionList(std::wstring_view list) {
    std::vector<std::wstring> extensions;
    while (!list.empty()) {
        const size_t cut = list.find_first_of(L",;");
        std::wstring_view entry = Trimmed(list.substr(0, cut));
        list = cut == std::wstring_view::npos ? std::wstring_view() : list.substr(cut + 1);
        if (!entry.empty() && entry.front() == L'.') entry.remove_prefix(1);
        if (!IsPlainExtension(entry)) continue;
        std::wstring extension(entry);
        std::transform(extension.begin(), extension.end(), extension.begin(), LowerAscii);
        extensions.push_back(std::move(extension));
    }
    return extensions;
}

std::vector<std::wstring> PictureChooserExtensions(const std::vector<std::wstring>& installedLists) {
    std::vector<std::wstring> extensions = KnownPictureExtensions();
    for (const std::wstring& list : installedLists) {
        for (std::wstring& extension : SplitExtensionList(list)) {
            if (std::find(extensions.begin(), extensions.end(), extension) == extensions.end()) {
                extensions.push_back(std::move(extension));
            }
        }
    }
    return extensions;
}

std::wstring PictureChooserFilter(const std::vector<std::wstring>& installedLists) {
    std::wstring description = L"(";
    std::wstring patterns;
    for (const std::wstring& extension : PictureChooserExtensions(installedLists)) {
        if (!patterns.empty()) {
            description += L',';
            patterns += L';';
        }
        description += L"*." + extension;
        patterns += L"*." + extension;
    }
    description += L')';
    std::wstring filter = description;
    filter += L'\0';
    filter += patterns;
    filter += L'\0';
    filter += L"(*.*)";
    filter += L'\0';
    filter += L"*.*";
    filter += L'\0';
    return filter;
}
