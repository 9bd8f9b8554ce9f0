#include "imaging/wic_access.h"

#include <propidl.h>

#include "imaging/picture_orientation.h"

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

namespace {

// The orientation as a number, from the integer types codecs answer with; 0 for anything else.
uint32_t OrientationValue(const PROPVARIANT& value) {
    switch (value.vt) {
        case VT_UI2:
            return value.uiVal;
        case VT_I2:
            return value.iVal < 0 ? 0 : static_cast<uint32_t>(value.iVal);
        case VT_UI4:
            return value.ulVal;
        case VT_I4:
            return value.lVal < 0 ? 0 : static_cast<uint32_t>(value.lVal);
        case VT_UI1:
            return value.bVal;
        default:
            return 0;
    }
}

}  // namespace

std::optional<int> WicFrameOrientation(IWICBitmapFrameDecode& frame) {
    IWICMetadataQueryReader* readerPointer = nullptr;
    if (FAILED(frame.GetMetadataQueryReader(&readerPointer)) || readerPointer == nullptr) return std::nullopt;
    ComPointer<IWICMetadataQueryReader> reader(readerPointer);
    // In this order: a HEIF container's rotation governs over the EXIF value it may also carry.
    const wchar_t* const queries[] = {L"/heifProps/Orientation", L"System.Photo.Orientation", L"/ifd/{ushort=274}",
                                      L"/app1/ifd/{ushort=274}"};
    for (const wchar_t* query : queries) {
        PROPVARIANT value;
        PropVariantInit(&value);
        const HRESULT found = reader->GetMetadataByName(query, &value);
        const uint32_t number = SUCCEEDED(found) ? OrientationValue(value) : 0;
        PropVariantClear(&value);
        if (SUCCEEDED(found)) return OrientationFromTag(number);
    }
    return std::nullopt;
}
