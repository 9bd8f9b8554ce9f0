#include "imaging/reducing_decode.h"

#include <windows.h>
#include <wincodec.h>

#include <memory>

#include "imaging/decoding_budget.h"
#include "imaging/picture_bytes.h"
#include "imaging/texture_reduction.h"

namespace {

template <typename Interface>
using ComOwner = std::unique_ptr<Interface, ComReleaser>;

// Joins the calling thread to COM for one decode, unless it already lives in an apartment (then
// COM works there as it is and the thread's apartment is left alone).
class ComApartment {
public:
    ComApartment() : m_result(CoInitializeEx(nullptr, COINIT_MULTITHREADED)) {}
    ~ComApartment() {
        if (SUCCEEDED(m_result)) CoUninitialize();
    }
    ComApartment(const ComApartment&) = delete;
    ComApartment& operator=(const ComApartment&) = delete;

    bool Works() const { return SUCCEEDED(m_result) || m_result == RPC_E_CHANGED_MODE; }

private:
    HRESULT m_result;
};

ComOwner<IWICImagingFactory> MakeFactory() {
    IWICImagingFactory* factory = nullptr;
    if (FAILED(CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER, IID_IWICImagingFactory,
                                reinterpret_cast<void**>(&factory)))) {
        return nullptr;
    }
    return ComOwner<IWICImagingFactory>(factory);
}

// Decodes the first frame of the picture in `stream` row by row into the reduction. The rows
// come through a converter to premultiplied 32-bit pixels, one row (of the columns that land on
// the square) at a time.
std::vector<uint32_t> DecodeReducedSquare(IWICImagingFactory& factory, IWICStream& stream, int aspectMode) {
    IWICBitmapDecoder* decoderPointer = nullptr;
    if (FAILED(factory.CreateDecoderFromStream(&stream, nullptr, WICDecodeMetadataCacheOnDemand, &decoderPointer))) {
        return {};
    }
    ComOwner<IWICBitmapDecoder> decoder(decoderPointer);
    IWICBitmapFrameDecode* framePointer = nullptr;
    if (FAILED(decoder->GetFrame(0, &framePointer))) return {};
    ComOwner<IWICBitmapFrameDecode> frame(framePointer);
    UINT width = 0, height = 0;
    if (FAILED(frame->GetSize(&width, &height)) || !FitsDecodingBudget(width, height)) return {};

    IWICFormatConverter* converterPointer = nullptr;
    if (FAILED(factory.CreateFormatConverter(&converterPointer))) return {};
    ComOwner<IWICFormatConverter> converter(converterPointer);
    if (FAILED(converter->Initialize(frame.get(), GUID_WICPixelFormat32bppPBGRA, WICBitmapDitherTypeNone, nullptr, 0.0,
                                     WICBitmapPaletteTypeCustom))) {
        return {};
    }

    TextureReduction reduction(width, height, aspectMode);
    std::vector<uint32_t> row(reduction.ColumnCount());
    const UINT stride = static_cast<UINT>(row.size() * sizeof(uint32_t));
    for (uint32_t y = reduction.FirstRow(); y < reduction.FirstRow() + reduction.RowCount(); ++y) {
        const WICRect rect{static_cast<INT>(reduction.FirstColumn()), static_cast<INT>(y),
                           static_cast<INT>(reduction.ColumnCount()), 1};
        if (FAILED(converter->CopyPixels(&rect, stride, stride, reinterpret_cast<BYTE*>(row.data())))) return {};
        reduction.AddRow(y, row.data());
    }
    return reduction.TakeSquare();
}

template <typename Initialize>
std::vector<uint32_t> DecodeReducedSquareFrom(Initialize initialize, int aspectMode) {
    ComApartment apartment;  // first in, last out: every COM object below is gone before it leaves
    if (!apartment.Works()) return {};
    ComOwner<IWICImagingFactory> factory = MakeFactory();
    if (factory == nullptr) return {};
    IWICStream* streamPointer = nullptr;
    if (FAILED(factory->CreateStream(&streamPointer))) return {};
    ComOwner<IWICStream> stream(streamPointer);
    if (FAILED(initialize(*stream))) return {};
    return DecodeReducedSquare(*factory, *stream, aspectMode);
}

}  // namespace

std::vector<uint32_t> DecodeReducedSquareFromFile(const wchar_t* path, int aspectMode) {
    return DecodeReducedSquareFrom(
        [path](IWICStream& stream) { return stream.InitializeFromFilename(path, GENERIC_READ); }, aspectMode);
}

std::vector<uint32_t> DecodeReducedSquareFromMemory(const uint8_t* bytes, size_t count, int aspectMode) {
    if (bytes == nullptr || count > MAXDWORD) return {};
    return DecodeReducedSquareFrom(
        [bytes, count](IWICStream& stream) {
            return stream.InitializeFromMemory(const_cast<BYTE*>(bytes), static_cast<DWORD>(count));
        },
        aspectMode);
}
