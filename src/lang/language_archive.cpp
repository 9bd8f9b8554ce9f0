#include "lang/language_archive.h"

#include <windows.h>

#include <atomic>
#include <cstdio>
#include <mutex>
#include <vector>

#include "common/message_box.h"
#include "common/module_path.h"
#include "common/whole_file.h"
#include "lang/archive_container.h"

namespace {

// A program file larger than this is not read: the program is a few megabytes.
constexpr uint64_t kMaxProgramFileSize = 256LL * 1024 * 1024;

std::atomic<const LanguageArchive*> g_archive{nullptr};
std::atomic<const TranslationTable*> g_translation{nullptr};
std::atomic<int> g_currentLanguageIndex{kLanguageEnglish};

// Owners of everything ever published above. They are never destroyed, not even at process
// end, because worker threads may still look texts up while static objects go away.
std::mutex g_ownersLock;
auto& g_archiveOwners = *new std::vector<std::unique_ptr<LanguageArchive>>();
auto& g_translationOwners = *new std::vector<std::unique_ptr<TranslationTable>>();

}  // namespace

bool LoadLanguageArchiveFromFile(const std::wstring& path) {
    std::unique_ptr<LanguageArchive> archive;
    {
        const std::vector<uint8_t> file = ReadWholeFile(path, kMaxProgramFileSize).value_or(std::vector<uint8_t>());
        const std::optional<PayloadPlace> payload = FindArchivePayload(file.data(), file.size());
        if (!payload) return false;
        archive = LanguageArchive::FromPayload(file.data() + payload->offset, payload->length);
    }
    if (!archive) return false;
    std::lock_guard<std::mutex> lock(g_ownersLock);
    g_archive.store(archive.get());
    g_archiveOwners.push_back(std::move(archive));
    return true;
}

bool LoadLanguageArchive() {
    const std::wstring path = ProgramFilePath();
    if (!path.empty() && LoadLanguageArchiveFromFile(path)) return true;
    ShowOwnedMessage(L"Error! Loading language file string archive", L"Alert");
    PostQuitMessage(0);
    return false;
}

const LanguageArchive* LoadedLanguageArchive() { return g_archive.load(); }

const wchar_t* LangText(int id) {
    if (const TranslationTable* translation = g_translation.load(std::memory_order_acquire)) {
        if (const wchar_t* text = translation->Text(id)) return text;
        thread_local wchar_t missing[24];
        std::swprintf(missing, sizeof(missing) / sizeof(missing[0]), L"str:%d?", id);
        return missing;
    }
    const LanguageArchive* archive = g_archive.load(std::memory_order_acquire);
    if (archive == nullptr) return nullptr;
    return archive->Lookup(g_currentLanguageIndex.load(std::memory_order_relaxed), id);
}

const wchar_t* LangHeaderText(int number) {
    const LanguageArchive* archive = g_archive.load(std::memory_order_acquire);
    return archive != nullptr ? archive->HeaderText(number) : nullptr;
}

std::wstring LangString(int id) {
    const wchar_t* text = LangText(id);
    return text != nullptr ? std::wstring(text) : std::wstring();
}

std::wstring LangHeaderString(int number) {
    const wchar_t* text = LangHeaderText(number);
    return text != nullptr ? std::wstring(text) : std::wstring();
}

int CurrentLanguageIndex() { return g_currentLanguageIndex.load(std::memory_order_relaxed); }

void SetCurrentLanguageIndex(int languageIndex) {
    g_currentLanguageIndex.store(languageIndex, std::memory_order_relaxed);
}

void ActivateTranslation(std::unique_ptr<TranslationTable> table) {
    if (!table) return;
    std::lock_guard<std::mutex> lock(g_ownersLock);
    g_translation.store(table.get(), std::memory_order_release);
    g_translationOwners.push_back(std::move(table));
}

void DeactivateTranslation() { g_translation.store(nullptr, std::memory_order_release); }

const TranslationTable* ActiveTranslation() { return g_translation.load(std::memory_order_acquire); }
