#include "imaging/picture_holder.h"

#include <cstring>
#include <mutex>

#include "imaging/decoder_frame_size.h"
#include "imaging/decoding_budget.h"

namespace {

// The one image-attributes object that every holder draws with; made on the first draw and
// kept for the life of the process. Its colour matrix is set before each draw, so draws from
// different threads are serialised.
std::mutex g_attributesLock;
GpImageAttributes* g_sharedAttributes = nullptr;

bool HasDrawingEntries(const GdiplusApi& api) {
    return api.createFromHdc != nullptr && api.deleteGraphics != nullptr && api.drawImageRectRectI != nullptr &&
           api.createImageAttributes != nullptr && api.setImageAttributesColorMatrix != nullptr;
}

}  // namespace

PictureHolder::PictureHolder() { Gdiplus(); }

PictureHolder::~PictureHolder() {
    if (Gdiplus().library != nullptr) Release();
}

bool PictureHolder::LoadFile(const wchar_t* path) {
    if (Gdiplus().loadImageFromStream == nullptr) return false;
    PictureBytes bytes;
    const PictureFileRead read = ReadPictureFile(path, bytes);
    if (read == PictureFileRead::kCannotOpen) return false;
    Release();
    if (read != PictureFileRead::kRead) return true;
    m_bytes = std::move(bytes);
    DecodeHeldBytes();
    return true;
}

bool PictureHolder::LoadResource(const wchar_t* name, const wchar_t* type, HMODULE module) {
    Release();
    if (Gdiplus().loadImageFromStream == nullptr) return false;
    HRSRC resource = FindResourceW(module, name, type);
    if (resource == nullptr) return false;
    const DWORD size = SizeofResource(module, resource);
    if (size == 0) return false;
    HGLOBAL loaded = ::LoadResource(module, resource);
    const void* data = loaded != nullptr ? LockResource(loaded) : nullptr;
    if (data == nullptr) return false;
    if (m_bytes.CopyFrom(data, size)) DecodeHeldBytes();
    return true;
}

void PictureHolder::DecodeHeldBytes() {
    const GdiplusApi& api = Gdiplus();
    const PictureHeader header =
        SettleHeaderSize(ReadPictureHeader(m_bytes.Data(), m_bytes.Size()), m_bytes.Data(), m_bytes.Size());
    m_orientation = header.orientation;
    if (!MayDecode(header)) return;
    ComPointer<IStream> stream = MakeStreamOnBytes(m_bytes);
    if (stream == nullptr) return;
    const std::unique_lock<std::mutex> turn = TakeDecodeTurn(header);
    GpImage* image = nullptr;
    if (api.loadImageFromStream(stream.Get(), &image) != kGpOk) image = nullptr;
    m_image = image;
}

UINT PictureHolder::Width() const {
    const GdiplusApi& api = Gdiplus();
    UINT width = 0;
    if (m_image == nullptr || api.getImageWidth == nullptr || api.getImageWidth(m_image, &width) != kGpOk) return 0;
    return width;
}

UINT PictureHolder::Height() const {
    const GdiplusApi& api = Gdiplus();
    UINT height = 0;
    if (m_image == nullptr || api.getImageHeight == nullptr || api.getImageHeight(m_image, &height) != kGpOk) {
        return 0;
    }
    return height;
}

bool PictureHolder::DrawTo(HDC hdc, const RECT& rect, GpImage* image, const float* colourMatrix) {
    const GdiplusApi& api = Gdiplus();
    if (!HasDrawingEntries(api)) return false;

    GpColorMatrix matrix{};
    if (colourMatrix != nullptr) {
        std::memcpy(matrix.m, colourMatrix, sizeof(matrix.m));
    } else {
        for (int i = 0; i < 5; ++i) matrix.m[i][i] = 1.0f;
    }

    std::lock_guard<std::mutex> lock(g_attributesLock);
    if (g_sharedAttributes == nullptr && api.createImageAttributes(&g_sharedAttributes) != kGpOk) {
        g_sharedAttributes = nullptr;
    }
    GpGraphics* graphics = nullptr;
    if (api.createFromHdc(hdc, &graphics) != kGpOk) return true;
    api.setImageAttributesColorMatrix(g_sharedAttributes, kColorAdjustTypeBitmap, TRUE, &matrix, &matrix,
                                      kColorMatrixFlagsDefault);
    api.drawImageRectRectI(graphics, image, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top, 0, 0,
                           static_cast<INT>(Width()), static_cast<INT>(Height()), kUnitPixel, g_sharedAttributes,
                           nullptr, nullptr);
    api.deleteGraphics(graphics);
    return true;
}

void PictureHolder::Release() {
    const GdiplusApi& api = Gdiplus();
    if (api.library != nullptr && m_image != nullptr) {
        if (api.disposeImage != nullptr) api.disposeImage(m_image);
        m_image = nullptr;
    }
    m_bytes.Free();
    m_orientation = 1;
}
