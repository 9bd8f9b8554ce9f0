#include "imaging/decoder_frame_size.h"

#include <mutex>

#include "imaging/decoding_budget.h"
#include "imaging/wic_access.h"

namespace {

template <typename MakeStream>
std::optional<DecoderFrame> AskForFrame(MakeStream makeStream) {
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
    return DecoderFrame{PictureSize{width, height}, WicFrameOrientation(*first.frame)};
}

std::optional<PictureSize> SizeOf(const std::optional<DecoderFrame>& frame) {
    if (!frame) return std::nullopt;
    return frame->size;
}

template <typename Ask>
PictureHeader Settle(const PictureHeader& header, Ask ask) {
    if (header.verdict != HeaderVerdict::kUndecided) return header;
    std::optional<DecoderFrame> frame;
    {
        const std::unique_lock<std::mutex> turn = TakeDecodeTurn(header);
        frame = ask();
    }
    PictureHeader settled = header;
    if (frame && frame->size.width != 0 && frame->size.height != 0) {
        settled.verdict = HeaderVerdict::kSized;
        settled.width = frame->size.width;
        settled.height = frame->size.height;
        if (header.format == PictureFormat::kNone && frame->orientation) settled.orientation = *frame->orientation;
    } else {
        settled.verdict = HeaderVerdict::kNotAPicture;
    }
    return settled;
}

}  // namespace

std::optional<DecoderFrame> DescribeDecoderFrame(const wchar_t* path) {
    return AskForFrame([path](IWICImagingFactory& factory) { return MakeWicFileStream(factory, path); });
}

std::optional<DecoderFrame> DescribeDecoderFrame(const uint8_t* bytes, size_t count) {
    return AskForFrame(
        [bytes, count](IWICImagingFactory& factory) { return MakeWicMemoryStream(factory, bytes, count); });
}

std::optional<PictureSize> DecoderFrameSize(const wchar_t* path) { return SizeOf(DescribeDecoderFrame(path)); }

std::optional<PictureSize> DecoderFrameSize(const uint8_t* bytes, size_t count) {
    return SizeOf(DescribeDecoderFrame(bytes, count));
}

PictureHeader SettleHeaderSize(const PictureHeader& header, const wchar_t* path) {
    return Settle(header, [path] { return DescribeDecoderFrame(path); });
}

PictureHeader SettleHeaderSize(const PictureHeader& header, const uint8_t* bytes, size_t count) {
    return Settle(header, [bytes, count] { return DescribeDecoderFrame(bytes, count); });
}
