// LoadTexturePictureFile on large JPEG files against a plain GDI+ decode of the same file into
// a bitmap (file read into memory, stream, decode, no scaling), alternating in one process.
// Arguments: the picture files, then optionally "rounds=<n>".

#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "bench_report.h"
#include "imaging/gdiplus_api.h"
#include "imaging/picture_bytes.h"
#include "imaging/texture_picture.h"
#include "imaging/texture_square.h"

namespace {

bool DecodeOnly(const wchar_t* path) {
    const GdiplusApi& api = Gdiplus();
    PictureBytes bytes;
    if (ReadPictureFile(path, bytes) != PictureFileRead::kRead) return false;
    ComPointer<IStream> stream = MakeStreamOnBytes(bytes);
    GpBitmap* bitmap = nullptr;
    if (stream == nullptr || api.createBitmapFromStreamIcm(stream.Get(), &bitmap) != kGpOk) return false;
    UINT width = 0;
    api.getImageWidth(AsImage(bitmap), &width);
    api.disposeImage(AsImage(bitmap));
    return width > 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    std::vector<std::wstring> files;
    int rounds = 5;
    for (int i = 1; i < argc; ++i) {
        if (!ReadCountArgument(argv[i], L"rounds=", rounds)) files.push_back(argv[i]);
    }
    if (files.empty()) {
        std::fprintf(stderr, "usage: texture_bench <picture files> [rounds=<n>]\n");
        return 2;
    }

    // Warm-up: the first decode loads codecs.
    DecodeOnly(files[0].c_str());
    std::vector<double> work, reference;
    for (int round = 0; round < rounds; ++round) {
        for (const std::wstring& file : files) {
            Stopwatch workTime;
            HBITMAP texture = LoadTexturePictureFile(file.c_str(), kAspectKeepAndStretch);
            work.push_back(workTime.Milliseconds());
            if (texture == nullptr) {
                std::fprintf(stderr, "no texture for %ls\n", file.c_str());
                return 1;
            }
            DeleteObject(texture);

            Stopwatch referenceTime;
            const bool decoded = DecodeOnly(file.c_str());
            reference.push_back(referenceTime.Milliseconds());
            if (!decoded) {
                std::fprintf(stderr, "no decode for %ls\n", file.c_str());
                return 1;
            }
        }
    }
    PrintBenchLine("texture_picture_12mp_jpeg", work, reference, "ms");
    return 0;
}
