#pragma once

#include <string>
#include <vector>

#include "sources/decoder_signatures.h"

// The picture decoders that the system's imaging component (WIC) has installed: its own (JPEG,
// PNG, GIF, BMP, TIFF, ICO, JPEG XR, DDS, ...) and the codecs that extensions add (HEIF, WebP,
// AVIF, camera raw files). Asked once per process, on whichever thread asks first; the list does
// not change while the program runs.
struct WicDecoderCatalog {
    // Whether WIC listed its decoders and every one told its signatures; when not, content that
    // matches none of the signatures may still be content a decoder takes.
    bool listed = false;
    // The signatures by which WIC chooses a decoder: content that matches none of them no
    // decoder of WIC takes.
    std::vector<DecoderSignature> signatures;
    // The file name extensions the decoders name, as they name them (".heic,.heif", ".jxr;.wdp").
    std::vector<std::wstring> extensionLists;
};

const WicDecoderCatalog& InstalledWicDecoders();
