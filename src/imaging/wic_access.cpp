#include "imaging/wic_access.h"

ComPointer<IWICImagingFactory> MakeWicFactory() {
    IWICImagingFactory* factory = nullptr;
    if (FAILED(CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER, IID_IWICImagingFactory,
                                reinterpret_cast<void**>(&factory)))) {
        return nullptr;
    }
    return ComPointer<IWICImagingFactory>(factory);
}

namespace {

template <typename Initialize>
ComPointer<IWICStream> MakeWicStream(IWICImagingFactory& factory, Initialize initialize) {
    IWICStream* streamPointer = nullptr;
    if (FAILED(factory.CreateStream(&streamPointer))) return nullptr;
    ComPointer<IWICStream> stream(streamPointer);
    if (FAILED(initialize(*stream))) return nullptr;
    return stream;
}

}  // namespace

ComPointer<IWICStream> MakeWicFileStream(IWICImagingFactory& factory, const wchar_t* path) {
    if (path == nullptr) return nullptr;
    return MakeWicStream(factory,
                         [path](IWICStream& stream) { return stream.InitializeFromFilename(path, GENERIC_READ); });
}

ComPointer<IWICStream> MakeWicMemoryStream(IWICImagingFactory& factory, const uint8_t* bytes, size_t count) {
    if (bytes == nullptr || count > MAXDWORD) return nullptr;
    return MakeWicStream(factory, [bytes, count](IWICStream& stream) {
        return stream.InitializeFromMemory(const_cast<BYTE*>(bytes), static_cast<DWORD>(count));
    });
}

WicFrame FirstWicFrame(IWICImagingFactory& factory, IWICStream& stream) {
    WicFrame result;
    IWICBitmapDecoder* decoderPointer = nullptr;
    if (FAILED(factory.CreateDecoderFromStream(&stream, nullptr, WICDecodeMetadataCacheOnDemand, &decoderPointer))) {
        return result;
    }
    result.decoder.Reset(decoderPointer);
    IWICBitmapFrameDecode* framePointer = nullptr;
    if (SUCCEEDED(result.decoder->GetFrame(0, &framePointer))) result.frame.Reset(framePointer);
    return result;
}
