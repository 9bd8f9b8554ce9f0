#include "lang/translation_file.h"

#include <windows.h>

#include <commdlg.h>
#include <shellapi.h>

#include <memory>

#include "common/message_box.h"
#include "common/system_folders.h"
#include "common/unique_handle.h"
#include "common/whole_file.h"
#include "lang/language_archive.h"
#include "lang/language_choice.h"
#include "lang/text_ids.h"

namespace {

constexpr DWORD kChooserPathCapacity = 260;

bool IsLargerThan(const std::wstring& path, uint64_t maxSize) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) return false;
    return ((static_cast<uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow) > maxSize;
}

std::wstring HeaderTextOrEmpty(int number) {
    const wchar_t* text = LangHeaderText(number);
    return text != nullptr ? std::wstring(text) : std::wstring();
}

std::wstring FromAnsi(const uint8_t* bytes, size_t count) {
    if (count == 0 || count > static_cast<size_t>(INT_MAX)) return std::wstring();
    const char* text = reinterpret_cast<const char*>(bytes);
    const int units = MultiByteToWideChar(CP_ACP, 0, text, static_cast<int>(count), nullptr, 0);
    if (units <= 0) return std::wstring();
    std::wstring wide(static_cast<size_t>(units), L'\0');
    MultiByteToWideChar(CP_ACP, 0, text, static_cast<int>(count), wide.data(), units);
    return wide;
}

}  // namespace

std::wstring DecodeTranslationText(const std::vector<uint8_t>& bytes) {
    if (bytes.size() >= 2 && bytes[0] == 0xFF && bytes[1] == 0xFE) {
        std::wstring text((bytes.size() - 2) / 2, L'\0');
        for (size_t i = 0; i < text.size(); ++i) {
            text[i] = static_cast<wchar_t>(bytes[2 + 2 * i] | bytes[3 + 2 * i] << 8);
        }
        return text;
    }
    return FromAnsi(bytes.data(), bytes.size());
}

std::wstring ReadTranslationFile(const std::wstring& path) {
    const std::optional<std::vector<uint8_t>> bytes = ReadWholeFile(path, kMaxTranslationFileSize);
    return bytes ? DecodeTranslationText(*bytes) : std::wstring();
}

std::wstring TranslationTemplatePath() {
    return TemporaryFolderPath() + TranslationTemplateFileName(HeaderTextOrEmpty(19));
}

void ExportTranslationTemplate() {
    const LanguageArchive* archive = LoadedLanguageArchive();
    if (archive == nullptr) return;
    const std::wstring path = TranslationTemplatePath();
    DeleteFileW(path.c_str());
    const std::wstring text = TranslationTemplateText(*archive);

    // Written without checks: whatever happens, the shell is asked to open the name.
    UniqueHandle file(CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
    if (file.IsValid()) {
        std::vector<uint8_t> bytes = {0xFF, 0xFE};
        bytes.reserve(2 + text.size() * 2);
        for (wchar_t unit : text) {
            bytes.push_back(static_cast<uint8_t>(unit & 0xFF));
            bytes.push_back(static_cast<uint8_t>(unit >> 8 & 0xFF));
        }
        DWORD written = 0;
        WriteFile(file.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
        // A template that could not be deleted (an editor still has it open) is overwritten;
        // nothing of a longer earlier one may stay behind the new text.
        SetEndOfFile(file.Get());
    }
    file.Reset();
    ShellExecuteW(nullptr, L"open", path.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

std::wstring LoadTranslationFile(const std::wstring& path) {
    const LanguageArchive* archive = LoadedLanguageArchive();
    if (archive == nullptr) return std::wstring();
    if (IsLargerThan(path, kMaxTranslationFileSize)) {
        // Said as such, rather than read as an empty file; the texts in use stay. The message is
        // the archive's, in the current language: a translation in use may lack it.
        const wchar_t* tooLarge = archive->Lookup(CurrentLanguageIndex(), kTextTranslationTooLarge);
        const std::wstring message = std::wstring(tooLarge != nullptr ? tooLarge : L"") + L"\n\n" + path;
        ShowOwnedMessage(message.c_str(), L"Translate");
        return message;
    }
    auto table = std::make_unique<TranslationTable>(ReadTranslationFile(path));
    const std::wstring report = TranslationReport(*archive, table->Table());
    ActivateTranslation(std::move(table));
    ShowOwnedMessage(report.c_str(), L"Translate");
    return report;
}

bool ChooseTranslationFile() {
    std::vector<wchar_t> path(kChooserPathCapacity, L'\0');
    std::vector<wchar_t> title(kChooserPathCapacity, L'\0');
    OPENFILENAMEW chooser{};
    chooser.lStructSize = sizeof(chooser);
    chooser.lpstrFile = path.data();
    chooser.nMaxFile = kChooserPathCapacity;
    chooser.lpstrFileTitle = title.data();
    chooser.nMaxFileTitle = kChooserPathCapacity;
    // A name typed wrongly would turn every text into its id; the dialog asks again instead. The
    // current folder stays where it is: the language menu looks for the developer marker there.
    chooser.Flags = OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_NOCHANGEDIR;
    if (!GetOpenFileNameW(&chooser)) return false;
    LoadTranslationFile(path.data());
    return true;
}
