#include "imaging/texture_picture.h"

#include "imaging/canvas_picture.h"
#include "imaging/picture_bytes.h"
#include "imaging/picture_canvas.h"

HBITMAP LoadTexturePictureFile(const wchar_t* path, int aspectMode) {
    // Spelled so on purpose, as the program has always written it: readers of this debugger line match it.
    OutputDebugStringA("CreaateBitmapFromFile:");
    OutputDebugStringW(path);
    OutputDebugStringA("\n");
    return LoadCanvasPictureFile(path, TextureCanvas(aspectMode));
}

HBITMAP LoadTexturePictureMemory(const void* bytes, size_t count, int aspectMode) {
    PictureBytes block;
    ComPointer<IStream> stream;
    if (block.CopyFrom(bytes, count)) stream = MakeStreamOnBytes(block);
    if (stream == nullptr) {
        // Owned by the active window, with the system's default caption.
        MessageBoxW(GetActiveWindow(), L"Fehler beim Laden: Memar\n", nullptr, MB_OK);
        return nullptr;
    }
    stream.Reset();
    return LoadCanvasPictureBytes(block, TextureCanvas(aspectMode));
}
