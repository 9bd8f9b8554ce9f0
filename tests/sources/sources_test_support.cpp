#include "sources/sources_test_support.h"

#include <windows.h>

#include <algorithm>
#include <cwchar>

#include "common/message_box.h"
#include "common/test_files.h"
#include "common/proc_address.h"
#include "imaging/gdiplus_api.h"

namespace {

bool FindEncoder(const wchar_t* mimeType, CLSID& encoder) {
    const GdiplusApi& api = Gdiplus();
    if (api.getImageEncodersSize == nullptr || api.getImageEncoders == nullptr) return false;
    UINT count = 0;
    UINT bytes = 0;
    if (api.getImageEncodersSize(&count, &bytes) != kGpOk || bytes == 0) return false;
    std::vector<uint8_t> buffer(bytes);
    auto* codecs = reinterpret_cast<GpImageCodecInfo*>(buffer.data());
    if (api.getImageEncoders(count, bytes, codecs) != kGpOk) return false;
    for (UINT i = 0; i < count; ++i) {
        if (codecs[i].mimeType != nullptr && wcscmp(codecs[i].mimeType, mimeType) == 0) {
            encoder = codecs[i].clsid;
            return true;
        }
    }
    return false;
}

// The Linux path of a Windows path (Wine's kernel32 export); empty when not under Wine.
std::string UnixPath(const std::wstring& path) {
    using UnixFileName = char*(CDECL*)(const WCHAR*);
    auto toUnix = GetProcAddressAs<UnixFileName>(GetModuleHandleW(L"kernel32.dll"), "wine_get_unix_file_name");
    if (toUnix == nullptr) return {};
    char* name = toUnix(path.c_str());
    if (name == nullptr) return {};
    std::string result = name;
    HeapFree(GetProcessHeap(), 0, name);
    return result;
}

std::wstring Widen(const std::string& text) { return std::wstring(text.begin(), text.end()); }

}  // namespace

std::vector<uint8_t> GifBytes(int screenWidth, int screenHeight, int frameWidth, int frameHeight) {
    std::vector<uint8_t> bytes = {'G', 'I', 'F', '8', '9', 'a'};
    auto add16 = [&bytes](int value) {
        bytes.push_back(static_cast<uint8_t>(value & 0xFF));
        bytes.push_back(static_cast<uint8_t>(value >> 8 & 0xFF));
    };
    add16(screenWidth);
    add16(screenHeight);
    bytes.insert(bytes.end(), {0xF6, 0, 0});  // global colour table of 128 entries
    for (int i = 0; i < 128; ++i) bytes.insert(bytes.end(), {uint8_t(i * 2), uint8_t(255 - i * 2), 0x40});
    bytes.push_back(',');
    add16(0);
    add16(0);
    add16(frameWidth);
    add16(frameHeight);
    bytes.push_back(0);  // no local colour table, not interlaced
    bytes.push_back(7);  // LZW minimum code size: codes start 8 bits wide

    constexpr uint8_t kClear = 128;
    constexpr uint8_t kEnd = 129;
    constexpr int kCodesPerClear = 100;  // the table stays below 256 entries, so codes stay 8 bits
    std::vector<uint8_t> codes;
    const int pixels = frameWidth * frameHeight;
    for (int i = 0; i < pixels; ++i) {
        if (i % kCodesPerClear == 0) codes.push_back(kClear);
        codes.push_back(static_cast<uint8_t>((i % frameWidth) * 127 / std::max(frameWidth, 1)));
    }
    codes.push_back(kEnd);
    for (size_t at = 0; at < codes.size(); at += 255) {
        const size_t block = std::min<size_t>(255, codes.size() - at);
        bytes.push_back(static_cast<uint8_t>(block));
        bytes.insert(bytes.end(), codes.begin() + at, codes.begin() + at + block);
    }
    bytes.push_back(0);
    bytes.push_back(';');
    return bytes;
}

bool WritePicture(const std::wstring& path, int width, int height, const wchar_t* mimeType) {
    if (wcscmp(mimeType, kGif) == 0) {
        return WriteFileBytes(path, GifBytes(width, height, width, height));
    }
    const GdiplusApi& api = Gdiplus();
    CLSID encoder{};
    if (api.createBitmapFromScan0 == nullptr || api.saveImageToFile == nullptr || api.disposeImage == nullptr ||
        !FindEncoder(mimeType, encoder)) {
        return false;
    }
    std::vector<uint32_t> pixels(static_cast<size_t>(width) * height);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            pixels[static_cast<size_t>(y) * width + x] =
                0xFF000000u | ((x * 255 / width) << 16) | ((y * 255 / height) << 8) | 0x40;
        }
    }
    GpBitmap* bitmap = nullptr;
    if (api.createBitmapFromScan0(width, height, width * 4, kPixelFormat32bppArgb,
                                  reinterpret_cast<BYTE*>(pixels.data()), &bitmap) != kGpOk) {
        return false;
    }
    const bool saved = api.saveImageToFile(AsImage(bitmap), path.c_str(), &encoder, nullptr) == kGpOk;
    api.disposeImage(AsImage(bitmap));
    return saved;
}

bool MakeFolderLink(const std::wstring& link, const std::wstring& target) {
    if (RunsUnderWine()) {
        const std::string linkName = UnixPath(link);
        const std::string targetName = UnixPath(target);
        if (linkName.empty() || targetName.empty()) return false;
        std::wstring command = L"/bin/ln -s \"" + Widen(targetName) + L"\" \"" + Widen(linkName) + L"\"";
        STARTUPINFOW startup{};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION process{};
        if (!CreateProcessW(L"Z:\\bin\\ln", command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                            &process)) {
            return false;
        }
        WaitForSingleObject(process.hProcess, 10000);
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
        // The Linux process ends on its own clock; wait briefly for the link to show.
        for (int i = 0; i < 100 && GetFileAttributesW(link.c_str()) == INVALID_FILE_ATTRIBUTES; ++i) Sleep(20);
    } else {
        CreateSymbolicLinkW(link.c_str(), target.c_str(),
                            SYMBOLIC_LINK_FLAG_DIRECTORY | SYMBOLIC_LINK_FLAG_ALLOW_UNPRIVILEGED_CREATE);
    }
    const DWORD attributes = GetFileAttributesW(link.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
}
