#include "e2e/settings_dialog_e2e_fixture.h"

std::optional<std::wstring> StartWithWindowsValue() {
    wchar_t text[2048] = L"";
    DWORD bytes = sizeof(text) - sizeof(wchar_t);
    if (RegGetValueW(HKEY_CURRENT_USER, kRunKey, L"Orbelin", RRF_RT_REG_SZ, nullptr, text, &bytes) != ERROR_SUCCESS) {
        return std::nullopt;
    }
    return std::wstring(text);
}

StartWithWindowsGuard::StartWithWindowsGuard() : m_saved(StartWithWindowsValue()) {
    RegDeleteKeyValueW(HKEY_CURRENT_USER, kRunKey, L"Orbelin");
}

StartWithWindowsGuard::~StartWithWindowsGuard() {
    if (m_saved) {
        RegSetKeyValueW(HKEY_CURRENT_USER, kRunKey, L"Orbelin", REG_SZ, m_saved->c_str(),
                        static_cast<DWORD>((m_saved->size() + 1) * sizeof(wchar_t)));
    } else {
        RegDeleteKeyValueW(HKEY_CURRENT_USER, kRunKey, L"Orbelin");
    }
}

bool EndsWith(const std::wstring& text, const std::wstring& end) {
    return text.size() > end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

std::unique_ptr<RunningProgram> SettingsDialogE2eTest::Start(const std::wstring& settingsLines,
                                                             const std::wstring& arguments) {
    auto program = std::make_unique<RunningProgram>(PreparePortableCopy(m_folder.Path(), settingsLines), arguments);
    if (!program->Started()) return program;
    m_dialog = program->WaitForWindow(kDialogClass, kPortableDialogTitle, kStartTimeoutMs);
    m_display = program->WaitForWindow(kDisplayWindowClass, nullptr, kStartTimeoutMs);
    return program;
}
