#include "browser/update_target_rules.h"

std::optional<ProgramVersion> ParseProgramVersion(std::wstring_view text) {
    ProgramVersion version{};
    size_t part = 0;
    size_t at = 0;
    for (;;) {
        if (part == version.size()) return std::nullopt;
        uint32_t number = 0;
        size_t digits = 0;
        while (at < text.size() && text[at] >= L'0' && text[at] <= L'9') {
            number = number * 10 + static_cast<uint32_t>(text[at] - L'0');
            if (number > 0xFFFF) return std::nullopt;
            ++digits;
            ++at;
        }
        if (digits == 0) return std::nullopt;
        version[part++] = static_cast<uint16_t>(number);
        if (at == text.size()) return version;
        if (text[at] != L'.') return std::nullopt;
        ++at;
    }
}

std::wstring ProgramVersionText(const ProgramVersion& version) {
    std::wstring text =
        std::to_wstring(version[0]) + L"." + std::to_wstring(version[1]) + L"." + std::to_wstring(version[2]);
    if (version[3] != 0) text += L"." + std::to_wstring(version[3]);
    return text;
}

UpdateTargetVerdict CheckUpdateTarget(const std::optional<ProgramIdentity>& newFile,
                                      const std::optional<ProgramIdentity>& target, std::wstring_view versionText,
                                      std::wstring_view productName) {
    if (!newFile || newFile->productName != productName) return UpdateTargetVerdict::kNewFileNotThisProgram;
    if (ParseProgramVersion(versionText) != newFile->fileVersion) return UpdateTargetVerdict::kVersionTextDisagrees;
    if (!target || target->productName != productName) return UpdateTargetVerdict::kTargetNotThisProgram;
    if (!(target->fileVersion < newFile->fileVersion)) return UpdateTargetVerdict::kTargetNotOlder;
    return UpdateTargetVerdict::kAccepted;
}
