#include "sources/wic_decoder_catalog.h"

#include "imaging/wic_access.h"

namespace {

// The decoder's file name extensions; empty when it names none.
std::wstring ExtensionListOf(IWICBitmapDecoderInfo& decoder) {
    UINT length = 0;
    if (FAILED(decoder.GetFileExtensions(0, nullptr, &length)) || length == 0 || length > 4096) return {};
    std::wstring text(length, L'\0');
    UINT actual = 0;
    if (FAILED(decoder.GetFileExtensions(length, text.data(), &actual))) return {};
    text.resize(std::wstring(text.c_str()).size());
    return text;
}

// Appends the decoder's signatures; false when the decoder cannot tell them.
bool AddSignaturesOf(IWICBitmapDecoderInfo& decoder, std::vector<DecoderSignature>& signatures) {
    UINT count = 0, bytes = 0;
    if (FAILED(decoder.GetPatterns(0, nullptr, &count, &bytes))) return false;
    if (count == 0) return true;
    if (bytes < count * sizeof(WICBitmapPattern) || bytes > (1u << 20)) return false;
    std::vector<uint64_t> storage((bytes + sizeof(uint64_t) - 1) / sizeof(uint64_t));  // aligned for the records
    auto* patterns = reinterpret_cast<WICBitmapPattern*>(storage.data());
    UINT told = 0, toldBytes = 0;
    if (FAILED(decoder.GetPatterns(bytes, patterns, &told, &toldBytes))) return false;
    for (UINT i = 0; i < count && i < told; ++i) {
        const WICBitmapPattern& pattern = patterns[i];
        // On Windows the pattern bytes follow the records in the buffer; Wine's point into the
        // decoder information itself, which lives until this returns.
        const auto* patternBytes = reinterpret_cast<const uint8_t*>(pattern.Pattern);
        const auto* maskBytes = reinterpret_cast<const uint8_t*>(pattern.Mask);
        if (pattern.Length == 0 || pattern.Length > 4096 || patternBytes == nullptr || maskBytes == nullptr) continue;
        signatures.push_back({{patternBytes, patternBytes + pattern.Length},
                              {maskBytes, maskBytes + pattern.Length},
                              pattern.Position.QuadPart,
                              pattern.EndOfStream != FALSE});
    }
    return true;
}

WicDecoderCatalog AskWic() {
    WicDecoderCatalog catalog;
    ComApartment apartment;  // first in, last out
    if (!apartment.Works()) return catalog;
    ComPointer<IWICImagingFactory> factory = MakeWicFactory();
    if (factory == nullptr) return catalog;
    IEnumUnknown* enumeratorPointer = nullptr;
    if (FAILED(factory->CreateComponentEnumerator(WICDecoder, WICComponentEnumerateDefault, &enumeratorPointer)) ||
        enumeratorPointer == nullptr) {
        return catalog;
    }
    ComPointer<IEnumUnknown> enumerator(enumeratorPointer);
    bool everyDecoderTold = true;
    IUnknown* componentPointer = nullptr;
    ULONG fetched = 0;
    while (enumerator->Next(1, &componentPointer, &fetched) == S_OK && fetched == 1 && componentPointer != nullptr) {
        ComPointer<IUnknown> component(componentPointer);
        componentPointer = nullptr;
        fetched = 0;
        IWICBitmapDecoderInfo* decoderPointer = nullptr;
        if (FAILED(component->QueryInterface(IID_IWICBitmapDecoderInfo, reinterpret_cast<void**>(&decoderPointer))) ||
            decoderPointer == nullptr) {
            continue;
        }
        ComPointer<IWICBitmapDecoderInfo> decoder(decoderPointer);
        if (!AddSignaturesOf(*decoder, catalog.signatures)) everyDecoderTold = false;
        std::wstring extensions = ExtensionListOf(*decoder);
        if (!extensions.empty()) catalog.extensionLists.push_back(std::move(extensions));
    }
    // A decoder that could not tell its signatures might take anything: then WIC is asked about
    // every file, as if it had told none.
    catalog.listed = everyDecoderTold;
    return catalog;
}

}  // namespace

const WicDecoderCatalog& InstalledWicDecoders() {
    static const WicDecoderCatalog catalog = AskWic();
    return catalog;
}
