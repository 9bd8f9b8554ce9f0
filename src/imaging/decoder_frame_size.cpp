#include "imaging/decoder_frame_size.h"

#include <mutex>

#include "imaging/decoding_budget.h"
#include "imaging/wic_access.h"

namespace {

template <typename MakeStream>
std::optional<PictureSize> AskForFrameSize(MakeStream makeStream) {
    ComApartment apartment;  // first in, last out
    if (!apartment.Works()) return std::nullopt;
    ComPointer<IWICImagingFactory> factory = MakeWicFactory();
    if (factory == nullptr) return std::nullopt;
    ComPointer<IWICStream> stream = makeStream(*factory);
    if (stream == nullptr) return std::nullopt;
    const WicFrame first = FirstWicFrame(*factory, *stream);
    if (first.frame == nullptr) return std::nullopt;
    UINT width = 0, height = 0;
    if (FAILED(first.frame->GetSize(&width, &height))) return std::nullopt;
    return PictureSize{width, height};
}

template <typename Ask>
PictureHeader Settle(const PictureHeader& header, Ask ask) {
    if (header.verdict != HeaderVerdict::kUndecided) return header;
    std::optional<PictureSize> size;
    {
        const std::unique_lock<std::mutex> turn = TakeDecodeTurn(header);
        size = ask();
    }
    PictureHeader settled = header;
    if (size && size->width != 0 && size->height != 0) {
        settled.verdict = HeaderVerdict::kSized;
        settled.width = size->width;
        settled.height = size->height;
    } else {
        settled.verdict = HeaderVerdict::kNotAPicture;
    }
    return settled;
}

}  // namespace

std::optional<PictureSize> DecoderFrameSize(const wchar_t* path) {
    return AskForFrameSize([path](IWICImagingFactory& factory) { return MakeWicFileStream(factory, path); });
}

std::optional<PictureSize> DecoderFrameSize(const uint8_t* bytes, size_t count) {
    return AskForFrameSize(
        [bytes, count](IWICImagingFactory& factory) { return MakeWicMemoryStream(factory, bytes, count); });
}

PictureHeader SettleHeaderSize(const PictureHeader& header, const wchar_t* path) {
    return Settle(header, [path] { return DecoderFrameSize(path); });
}

PictureHeader SettleHeaderSize(const PictureHeader& header, const uint8_t* bytes, size_t count) {
    return Settle(header, [bytes, count] { return DecoderFrameSize(bytes, count); });
}
