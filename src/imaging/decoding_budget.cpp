#include "imaging/decoding_budget.h"

namespace {

bool IsLargePicture(const PictureHeader& header) {
    return header.IsSized() && uint64_t{header.width} * header.height > kLargePicturePixels;
}

bool NeedsTurn(const PictureHeader& header) {
    return header.verdict == HeaderVerdict::kUndecided || IsLargePicture(header);
}

}  // namespace

bool FitsDecodingBudget(uint32_t width, uint32_t height) {
    if (width == 0 || height == 0) return false;
    if (width > kMaxDecodedSide || height > kMaxDecodedSide) return false;
    return uint64_t{width} * height <= kMaxDecodedPixels;
}

bool MayDecode(const PictureHeader& header) {
    switch (header.verdict) {
        case HeaderVerdict::kSized:
            return FitsDecodingBudget(header.width, header.height);
        case HeaderVerdict::kUndecided:
        case HeaderVerdict::kNotAPicture:
            break;
    }
    return false;
}

DecodeRoute ChooseDecodeRoute(const PictureHeader& header, uint64_t fileBytes) {
    if (!MayDecode(header)) return DecodeRoute::kRefuse;
    if (IsLargePicture(header) || fileBytes > kMaxPictureFileBytes) {
        return DecodeRoute::kReducing;
    }
    return DecodeRoute::kWhole;
}

std::unique_lock<std::mutex> TakeDecodeTurn(const PictureHeader& header) {
    static std::mutex largeDecodes;
    if (!NeedsTurn(header)) return {};
    return std::unique_lock<std::mutex>(largeDecodes);
}
