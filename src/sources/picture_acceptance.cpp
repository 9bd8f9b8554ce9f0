#include "sources/picture_acceptance.h"

#include <windows.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "common/proc_address.h"
#include "common/unique_handle.h"
#include "imaging/gdiplus_api.h"
#include "imaging/picture_header.h"
#include "imaging/picture_holder.h"
#include "sources/decoder_signatures.h"
#include "sources/header_dimensions.h"

namespace {

// Reads a file for the header parser through a small window of cached bytes, so that the few
// small reads of a header walk cost one or two file reads: the first window usually holds the
// whole header, and a JPEG with a large metadata segment needs one more.
class CachedFileReader {
public:
    explicit CachedFileReader(HANDLE file) : m_file(file) {}

    size_t Read(uint64_t offset, uint8_t* buffer, size_t count) {
        if (offset < m_windowStart || offset + count > m_windowStart + m_window.size()) {
            if (!Fill(offset, std::max(count, kWindowBytes))) return 0;
        }
        const size_t from = static_cast<size_t>(offset - m_windowStart);
        const size_t available = std::min(count, m_window.size() - std::min(from, m_window.size()));
        if (available > 0) std::memcpy(buffer, m_window.data() + from, available);
        return available;
    }

private:
    static constexpr size_t kWindowBytes = 4096;

    bool Fill(uint64_t offset, size_t count) {
        m_window.resize(count);
        OVERLAPPED position{};
        position.Offset = static_cast<DWORD>(offset);
        position.OffsetHigh = static_cast<DWORD>(offset >> 32);
        DWORD read = 0;
        if (!ReadFile(m_file, m_window.data(), static_cast<DWORD>(count), &read, &position)) read = 0;
        m_window.resize(read);
        m_windowStart = offset;
        return read > 0;
    }

    HANDLE m_file;
    std::vector<uint8_t> m_window;
    uint64_t m_windowStart = 0;
};

// The signatures of every decoder GDI+ has; empty when GDI+ cannot tell (then every file that
// is not read from its header goes to the decoder).
std::optional<std::vector<DecoderSignature>> AskDecoderSignatures() {
    using GetDecodersSize = GpStatus(WINAPI*)(UINT*, UINT*);
    using GetDecoders = GpStatus(WINAPI*)(UINT, UINT, GpImageCodecInfo*);
    const GdiplusApi& api = Gdiplus();
    auto getSize = GetProcAddressAs<GetDecodersSize>(api.library, "GdipGetImageDecodersSize");
    auto getDecoders = GetProcAddressAs<GetDecoders>(api.library, "GdipGetImageDecoders");
    if (getSize == nullptr || getDecoders == nullptr || api.loadImageFromStream == nullptr) return std::nullopt;
    UINT count = 0;
    UINT bytes = 0;
    if (getSize(&count, &bytes) != kGpOk || count == 0 || bytes < count * sizeof(GpImageCodecInfo)) {
        return std::nullopt;
    }
    std::vector<uint64_t> storage((bytes + sizeof(uint64_t) - 1) / sizeof(uint64_t));  // aligned for the records
    auto* codecs = reinterpret_cast<GpImageCodecInfo*>(storage.data());
    if (getDecoders(count, bytes, codecs) != kGpOk) return std::nullopt;

    std::vector<DecoderSignature> signatures;
    for (UINT i = 0; i < count; ++i) {
        const GpImageCodecInfo& codec = codecs[i];
        if (codec.sigPattern == nullptr || codec.sigMask == nullptr) continue;
        for (DWORD j = 0; j < codec.sigCount; ++j) {
            const BYTE* pattern = codec.sigPattern + size_t{j} * codec.sigSize;
            const BYTE* mask = codec.sigMask + size_t{j} * codec.sigSize;
            signatures.push_back({{pattern, pattern + codec.sigSize}, {mask, mask + codec.sigSize}});
        }
    }
    if (signatures.empty()) return std::nullopt;
    return signatures;
}

// Asked once per process; the list does not change while the program runs.
const std::optional<std::vector<DecoderSignature>>& InstalledDecoderSignatures() {
    static const std::optional<std::vector<DecoderSignature>> signatures = AskDecoderSignatures();
    return signatures;
}

}  // namespace

bool IsListedPictureSize(uint32_t width, uint32_t height, uint64_t fileBytes) {
    if (width <= kMinPictureSideExclusive || height <= kMinPictureSideExclusive) return false;
    if (width > kMaxPictureSide || height > kMaxPictureSide) return false;
    if (uint64_t{width} * height > kMaxPicturePixels) return false;
    return fileBytes <= kMaxPictureFileBytes;
}

std::optional<bool> IsPictureByHeader(const std::wstring& path) {
    UniqueHandle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                  nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.IsValid()) return false;
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(file.Get(), &size) || size.QuadPart < 0) return std::nullopt;
    CachedFileReader reader(file.Get());
    const std::optional<HeaderDimensions> header = ReadHeaderDimensions(
        [&reader](uint64_t offset, uint8_t* buffer, size_t count) { return reader.Read(offset, buffer, count); });
    if (!header) {
        // Content that no decoder claims cannot decode: no need to read the whole file.
        const std::optional<std::vector<DecoderSignature>>& signatures = InstalledDecoderSignatures();
        if (!signatures) return std::nullopt;
        uint8_t start[kDecoderSignatureBytes];
        const size_t count = reader.Read(0, start, sizeof start);
        if (MatchesAnyDecoderSignature(*signatures, start, count)) return std::nullopt;
        return false;
    }
    return IsListedPictureSize(header->width, header->height, static_cast<uint64_t>(size.QuadPart));
}

bool IsPictureByDecoding(const std::wstring& path) {
    PictureHolder holder;
    if (!holder.LoadFile(path.c_str())) return false;
    const bool accepted = holder.Width() > kMinPictureSideExclusive && holder.Height() > kMinPictureSideExclusive;
    holder.Release();
    return accepted;
}

bool IsAcceptedPicture(const std::wstring& path) {
    if (const std::optional<bool> byHeader = IsPictureByHeader(path)) return *byHeader;
    return IsPictureByDecoding(path);
}
