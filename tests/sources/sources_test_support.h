#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Helpers for the picture source tests. Pictures are made at test time with GDI+.

// MIME types of the GDI+ encoders the tests use.
inline constexpr const wchar_t* kPng = L"image/png";
inline constexpr const wchar_t* kJpeg = L"image/jpeg";
inline constexpr const wchar_t* kGif = L"image/gif";
inline constexpr const wchar_t* kBmp = L"image/bmp";
inline constexpr const wchar_t* kTiff = L"image/tiff";

// Writes a width x height picture (a colour gradient) in the given format to `path`, whatever
// the path's extension says (GIF files through GifBytes). Returns false when it could not be
// made.
bool WritePicture(const std::wstring& path, int width, int height, const wchar_t* mimeType);

// The bytes of a GIF file whose logical screen is screenWidth x screenHeight and whose one
// frame, at the top left, is frameWidth x frameHeight. (The GDI+ GIF encoder of Wine 8 writes
// files without picture data, so the tests write GIF files themselves: 7-bit colour indexes
// stored as 8-bit LZW codes with a clear code often enough that the code width never grows.)
std::vector<uint8_t> GifBytes(int screenWidth, int screenHeight, int frameWidth, int frameHeight);

// Makes `link` a symbolic link to the folder `target`. Under Wine 8, CreateSymbolicLinkW
// reports success and makes nothing, so there the link is made on the Linux side with "ln -s"
// (Wine starts Linux programs through CreateProcessW). Returns false when no link exists after.
bool MakeFolderLink(const std::wstring& link, const std::wstring& target);

// The paths of a PictureList-like container, for comparing whole lists in one assertion.
template <typename List>
std::vector<std::wstring> PathsOf(const List& list) {
    std::vector<std::wstring> paths;
    for (size_t i = 0; i < list.Count(); ++i) paths.push_back(list.At(i));
    return paths;
}
