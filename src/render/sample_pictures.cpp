#include "render/sample_pictures.h"

#include <mutex>

extern unsigned char kScrambledSample0[];
extern unsigned char kScrambledSample1[];
extern unsigned char kScrambledSample2[];
extern const size_t kScrambledSampleSizes[kSamplePictureCount];

const std::array<SamplePicture, kSamplePictureCount>& SamplePictures() {
    static std::once_flag restored;
    static std::array<SamplePicture, kSamplePictureCount> pictures{};
    std::call_once(restored, [] {
        unsigned char* const scrambled[kSamplePictureCount] = {kScrambledSample0, kScrambledSample1, kScrambledSample2};
        for (int i = 0; i < kSamplePictureCount; ++i) {
            for (size_t k = 0; k < kScrambledSampleSizes[i]; ++k) {
                scrambled[i][k] = static_cast<unsigned char>(scrambled[i][k] - 0x80);
            }
            pictures[i] = {scrambled[i], kScrambledSampleSizes[i]};
        }
    });
    return pictures;
}
