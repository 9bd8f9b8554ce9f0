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

// How long a translation change waits for copies of texts under way on other threads before it
// leaves the tables it replaced to the next change.
constexpr DWORD kRetiredTableWaitMs = 200;

std::atomic<const LanguageArchive*> g_archive{nullptr};
std::atomic<const TranslationTable*> g_translation{nullptr};
std::atomic<int> g_currentLanguageIndex{kLanguageEnglish};
// Copies of texts (LangString) under way; a replaced translation table is freed only while none is.
std::atomic<int> g_textCopies{0};

// Owners of everything published above. Archives are never destroyed, not even at process end,
// because worker threads may still look texts up while static objects go away. Translation
// tables are: the one in use and those replaced but not freed yet.
std::mutex g_ownersLock;
auto& g_archiveOwners = *new std::vector<std::unique_ptr<LanguageArchive>>();
auto& g_translationOwners = *new std::vector<std::unique_ptr<TranslationTable>>();

// Frees the translation tables that are no longer in use once no copy of a text is under way
// (waiting a short while for one); what cannot be freed yet is freed by the next change. Called
// with g_ownersLock held, after the table in use was replaced.
void FreeReplacedTranslations() {
    const TranslationTable* inUse = g_translation.load();
    const DWORD start = GetTickCount();
    while (g_textCopies.load() != 0) {
        if (GetTickCount() - start >= kRetiredTableWaitMs) return;
        Sleep(0);
    }
    std::erase_if(g_translationOwners,
                  [inUse](const std::unique_ptr<TranslationTable>& table) { return table.get() != inUse; });
}

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
    // Counted, so that a translation table replaced meanwhile is not freed under the copy.
    g_textCopies.fetch_add(1);
    const wchar_t* text = LangText(id);
    std::wstring copy = text != nullptr ? std::wstring(text) : std::wstring();
    g_textCopies.fetch_sub(1);
    return copy;
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
    g_translation.store(table.get());
    g_translationOwners.push_back(std::move(table));
    FreeReplacedTranslations();
}

void DeactivateTranslation() {
    std::lock_guard<std::mutex> lock(g_ownersLock);
    g_translation.store(nullptr);
    FreeReplacedTranslations();
}

size_t HeldTranslationTables() {
    std::lock_guard<std::mutex> lock(g_ownersLock);
    return g_translationOwners.size();
}

const TranslationTable* ActiveTranslation() { return g_translation.load(std::memory_order_acquire); }
