#include "sources/picture_acceptance.h"

#include <windows.h>

#include <vector>

#include "common/proc_address.h"
#include "common/unique_handle.h"
#include "imaging/decoding_budget.h"
#include "imaging/gdiplus_api.h"
#include "imaging/picture_bytes.h"
#include "imaging/picture_file_reader.h"
#include "imaging/picture_header.h"
#include "imaging/picture_holder.h"
#include "sources/decoder_signatures.h"

namespace {

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

bool IsListedPictureSize(uint32_t width, uint32_t height) {
    if (width <= kMinPictureSideExclusive || height <= kMinPictureSideExclusive) return false;
    return FitsDecodingBudget(width, height);
}

std::optional<bool> IsPictureByHeader(const std::wstring& path) {
    UniqueHandle file(OpenPictureFile(path.c_str()));
    if (!file.IsValid()) return false;
    PictureFileReader reader(file.Get());
    const PictureHeader header = reader.ReadHeader();
    switch (header.verdict) {
        case HeaderVerdict::kSized:
            return IsListedPictureSize(header.width, header.height);
        case HeaderVerdict::kNotAPicture:
            return false;
        case HeaderVerdict::kUndecided:
            break;
    }
    // Content that no decoder claims cannot decode: no need to read the whole file.
    const std::optional<std::vector<DecoderSignature>>& signatures = InstalledDecoderSignatures();
    if (!signatures) return std::nullopt;
    uint8_t start[kDecoderSignatureBytes];
    const size_t count = reader.Read(0, start, sizeof start);
    if (MatchesAnyDecoderSignature(*signatures, start, count)) return std::nullopt;
    return false;
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
