#include "sources/picture_dialog_support.h"

#include <commctrl.h>
#include <shlobj.h>

#include <algorithm>
#include <cstdlib>

#include "imaging/gdiplus_api.h"
#include "imaging/png_output.h"
#include "lang/language_archive.h"

bool WriteSolidPng(const std::wstring& path, int width, int height, uint32_t argb) {
    const GdiplusApi& api = Gdiplus();
    CLSID encoder{};
    if (api.createBitmapFromScan0 == nullptr || api.saveImageToFile == nullptr ||
        FindEncoder(L"image/png", &encoder) < 0) {
        return false;
    }
    std::vector<uint32_t> pixels(static_cast<size_t>(width) * height, argb);
    GpBitmap* bitmap = nullptr;
    if (api.createBitmapFromScan0(width, height, width * 4, kPixelFormat32bppArgb,
                                  reinterpret_cast<BYTE*>(pixels.data()), &bitmap) != kGpOk) {
        return false;
    }
    const bool saved = api.saveImageToFile(AsImage(bitmap), path.c_str(), &encoder, nullptr) == kGpOk;
    api.disposeImage(AsImage(bitmap));
    return saved;
}

namespace {

uint32_t Crc32(const uint8_t* bytes, size_t count) {
    uint32_t crc = 0xFFFFFFFFu;
    for (size_t i = 0; i < count; ++i) {
        crc ^= bytes[i];
        for (int bit = 0; bit < 8; ++bit) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    return ~crc;
}

void PutBigEndian(std::vector<uint8_t>& bytes, uint32_t value) {
    for (int shift = 24; shift >= 0; shift -= 8) bytes.push_back(static_cast<uint8_t>(value >> shift));
}

void AppendChunk(std::vector<uint8_t>& file, const char* type, const std::vector<uint8_t>& data) {
    PutBigEndian(file, static_cast<uint32_t>(data.size()));
    std::vector<uint8_t> typed(type, type + 4);
    typed.insert(typed.end(), data.begin(), data.end());
    file.insert(file.end(), typed.begin(), typed.end());
    PutBigEndian(file, Crc32(typed.data(), typed.size()));
}

}  // namespace

bool WritePngClaimingSize(const std::wstring& path, uint32_t width, uint32_t height) {
    std::vector<uint8_t> file = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
    std::vector<uint8_t> header;
    PutBigEndian(header, width);
    PutBigEndian(header, height);
    header.insert(header.end(), {8, 2, 0, 0, 0});  // 8-bit RGB
    AppendChunk(file, "IHDR", header);
    AppendChunk(file, "IDAT", {0x78, 0x9C, 0x03, 0x00, 0x00, 0x00, 0x00, 0x01});
    AppendChunk(file, "IEND", {});
    return WriteFileBytes(path, file);
}

HDROP MakeDrop(const std::vector<std::wstring>& paths) {
    size_t characters = 1;
    for (const std::wstring& path : paths) characters += path.size() + 1;
    HGLOBAL block = GlobalAlloc(GHND, sizeof(DROPFILES) + characters * sizeof(wchar_t));
    if (block == nullptr) return nullptr;
    auto* drop = static_cast<DROPFILES*>(GlobalLock(block));
    drop->pFiles = sizeof(DROPFILES);
    drop->fWide = TRUE;
    auto* names = reinterpret_cast<wchar_t*>(reinterpret_cast<BYTE*>(drop) + sizeof(DROPFILES));
    for (const std::wstring& path : paths) {
        path.copy(names, path.size());
        names += path.size() + 1;
    }
    GlobalUnlock(block);
    return static_cast<HDROP>(block);
}

bool PumpUntil(const std::function<bool()>& condition, DWORD timeoutMs) {
    const DWORD start = GetTickCount();
    for (;;) {
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
        if (condition()) return true;
        if (GetTickCount() - start >= timeoutMs) return condition();
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
}

void PumpFor(DWORD ms) {
    PumpUntil([] { return false; }, ms);
}

namespace {

std::wstring TextOf(HWND window) {
    wchar_t text[2048] = L"";
    GetWindowTextW(window, text, 2048);
    return text;
}

}  // namespace

MessageBoxAnswerer::MessageBoxAnswerer(HWND dialog) {
    m_thread = std::thread([this, dialog] {
        std::vector<HWND> recorded;
        while (!m_stop) {
            // Message boxes are dialogs too: the picture selection dialog itself is left alone.
            struct Search {
                HWND dialog;
                std::vector<HWND> boxes;
            } search{dialog, {}};
            EnumWindows(
                [](HWND window, LPARAM parameter) -> BOOL {
                    auto* found = reinterpret_cast<Search*>(parameter);
                    DWORD process = 0;
                    GetWindowThreadProcessId(window, &process);
                    wchar_t className[64] = L"";
                    GetClassNameW(window, className, 64);
                    if (process == GetCurrentProcessId() && window != found->dialog && IsWindowVisible(window) &&
                        lstrcmpW(className, L"#32770") == 0) {
                        found->boxes.push_back(window);
                    }
                    return TRUE;
                },
                reinterpret_cast<LPARAM>(&search));
            for (HWND box : search.boxes) {
                if (std::find(recorded.begin(), recorded.end(), box) == recorded.end()) {
                    recorded.push_back(box);
                    m_seen.push_back({TextOf(box), TextOf(GetDlgItem(box, 0xFFFF))});
                }
                PostMessageW(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
                             reinterpret_cast<LPARAM>(GetDlgItem(box, IDOK)));
            }
            Sleep(20);
        }
    });
}

MessageBoxAnswerer::~MessageBoxAnswerer() { Stop(); }

std::vector<SeenMessageBox> MessageBoxAnswerer::Stop() {
    m_stop = true;
    if (m_thread.joinable()) m_thread.join();
    return m_seen;
}

std::wstring ListItemText(HWND listView, int item, int column) {
    wchar_t text[1024] = L"";
    LVITEMW request{};
    request.iSubItem = column;
    request.pszText = text;
    request.cchTextMax = 1024;
    SendMessageW(listView, LVM_GETITEMTEXTW, item, reinterpret_cast<LPARAM>(&request));
    return text;
}

std::wstring StatusText(HWND statusBar) {
    wchar_t text[1024] = L"";
    SendMessageW(statusBar, SB_GETTEXTW, 0, reinterpret_cast<LPARAM>(text));
    return text;
}

void PictureDialogFixtureBase::LoadLanguageTexts() {
    const char* program = std::getenv("ORBELIN_EXE");
    if (program != nullptr) LoadLanguageArchiveFromFile(WindowsPathFromHost(program));
    SetCurrentLanguageIndex(kLanguageEnglish);
}
