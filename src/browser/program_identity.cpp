#include "browser/program_identity.h"

#include <windows.h>

#include <cwchar>
#include <vector>

namespace {

// The product name from the string table of the first language the resource lists, or from
// the usual English ones when it lists none.
std::optional<std::wstring> ProductName(const std::vector<BYTE>& resource) {
    std::vector<std::wstring> tables;
    struct LanguageAndCodePage {
        WORD language;
        WORD codePage;
    };
    LanguageAndCodePage* languages = nullptr;
    UINT size = 0;
    if (VerQueryValueW(resource.data(), L"\\VarFileInfo\\Translation", reinterpret_cast<void**>(&languages), &size) &&
        languages != nullptr && size >= sizeof(LanguageAndCodePage)) {
        wchar_t table[16];
        swprintf(table, 16, L"%04x%04x", languages[0].language, languages[0].codePage);
        tables.push_back(table);
    }
    tables.push_back(L"040904b0");
    tables.push_back(L"040904e4");
    for (const std::wstring& table : tables) {
        const std::wstring query = L"\\StringFileInfo\\" + table + L"\\ProductName";
        wchar_t* name = nullptr;
        UINT length = 0;
        if (VerQueryValueW(resource.data(), query.c_str(), reinterpret_cast<void**>(&name), &length) &&
            name != nullptr && length > 0) {
            // The length counts the terminating zero when there is one.
            return std::wstring(name, wcsnlen(name, length));
        }
    }
    return std::nullopt;
}

}  // namespace

std::optional<ProgramIdentity> ReadProgramIdentity(const std::wstring& path) {
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeW(path.c_str(), &ignored);
    if (size == 0) return std::nullopt;
    std::vector<BYTE> resource(size);
    if (!GetFileVersionInfoW(path.c_str(), 0, size, resource.data())) return std::nullopt;

    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT fixedSize = 0;
    if (!VerQueryValueW(resource.data(), L"\\", reinterpret_cast<void**>(&fixed), &fixedSize) || fixed == nullptr ||
        fixedSize < sizeof(VS_FIXEDFILEINFO) || fixed->dwSignature != VS_FFI_SIGNATURE) {
        return std::nullopt;
    }
    std::optional<std::wstring> productName = ProductName(resource);
    if (!productName) return std::nullopt;
    ProgramIdentity identity;
    identity.productName = std::move(*productName);
    identity.fileVersion = {HIWORD(fixed->dwFileVersionMS), LOWORD(fixed->dwFileVersionMS),
                            HIWORD(fixed->dwFileVersionLS), LOWORD(fixed->dwFileVersionLS)};
    return identity;
}
