#include "sources/picture_dialog_support.h"

#include <commctrl.h>
#include <shlobj.h>

#include <algorithm>

#include "common/built_program_languages.h"
#include "common/window_text.h"
#include "lang/language_archive.h"

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
                    m_seen.push_back({WindowText(box), WindowText(GetDlgItem(box, 0xFFFF))});
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
    LoadBuiltProgramArchive();
    SetCurrentLanguageIndex(kLanguageEnglish);
}
