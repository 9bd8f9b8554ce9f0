#include "sources/picture_acceptance.h"

#include <windows.h>

#include <vector>

#include "common/proc_address.h"
#include "common/unique_handle.h"
#include "imaging/decoder_frame_size.h"
#include "imaging/decoding_budget.h"
#include "imaging/gdiplus_api.h"
#include "imaging/picture_bytes.h"
#include "imaging/picture_file_reader.h"
#include "imaging/picture_header.h"
#include "imaging/picture_holder.h"
#include "imaging/picture_orientation.h"
#include "sources/decoder_signatures.h"
#include "sources/wic_decoder_catalog.h"

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

// Which decoder takes content whose header the program does not read.
enum class DecoderClaim {
    kGdiplus,  // a decoder of GDI+ claims it (or GDI+ cannot tell what its decoders claim)
    kWic,      // only a decoder of WIC claims it: a codec of the system (or WIC cannot tell)
    kNone,     // no decoder claims it: it cannot decode
};

DecoderClaim ClaimOf(PictureFileReader& reader, uint64_t fileSize) {
    const std::optional<std::vector<DecoderSignature>>& gdiplus = InstalledDecoderSignatures();
    uint8_t start[kDecoderSignatureBytes];
    const size_t count = reader.Read(0, start, sizeof start);
    if (gdiplus && MatchesAnyDecoderSignature(*gdiplus, start, count)) return DecoderClaim::kGdiplus;
    const WicDecoderCatalog& wic = InstalledWicDecoders();
    const HeaderByteReader read = [&reader](uint64_t offset, uint8_t* buffer, size_t wanted) {
        return reader.Read(offset, buffer, wanted);
    };
    if (wic.listed && MatchesAnyDecoderSignature(wic.signatures, read, fileSize)) return DecoderClaim::kWic;
    if (!gdiplus) return DecoderClaim::kGdiplus;
    if (!wic.listed) return DecoderClaim::kWic;
    return DecoderClaim::kNone;
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
            return IsListedPictureSize(header.UprightWidth(), header.UprightHeight());
        case HeaderVerdict::kNotAPicture:
            return false;
        case HeaderVerdict::kUndecided:
            break;
    }
    // Content that no decoder claims cannot decode: no need to ask a decoder.
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(file.Get(), &size) || size.QuadPart < 0) return false;
    if (ClaimOf(reader, static_cast<uint64_t>(size.QuadPart)) == DecoderClaim::kNone) return false;
    return std::nullopt;
}

bool IsPictureByDecoding(const std::wstring& path) {
    UniqueHandle file(OpenPictureFile(path.c_str()));
    LARGE_INTEGER size{};
    if (!file.IsValid() || !GetFileSizeEx(file.Get(), &size) || size.QuadPart < 0) return false;
    PictureFileReader reader(file.Get());
    const DecoderClaim claim = ClaimOf(reader, static_cast<uint64_t>(size.QuadPart));
    if (claim == DecoderClaim::kNone) return false;
    if (claim == DecoderClaim::kWic) {
        // Sized by its header where the program reads it (a DDS), otherwise by its decoder
        // without decoding its pixels (on Windows that reads the picture's headers, as the
        // program itself does for the formats it knows), and judged upright by the orientation
        // the decoder's metadata states.
        const PictureHeader settled = SettleHeaderSize(reader.ReadHeader(), path.c_str());
        return settled.IsSized() && IsListedPictureSize(settled.UprightWidth(), settled.UprightHeight());
    }
    file.Reset();
    PictureHolder holder;
    if (!holder.LoadFile(path.c_str())) return false;
    const PictureSize upright = OrientedSize(holder.Width(), holder.Height(), holder.Orientation());
    const bool accepted = upright.width > kMinPictureSideExclusive && upright.height > kMinPictureSideExclusive;
    holder.Release();
    return accepted;
}

bool IsAcceptedPicture(const std::wstring& path) {
    if (const std::optional<bool> byHeader = IsPictureByHeader(path)) return *byHeader;
    return IsPictureByDecoding(path);
}
