#include "imaging/decoding_budget.h"

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
            return true;
        case HeaderVerdict::kNotAPicture:
            break;
    }
    return false;
}
