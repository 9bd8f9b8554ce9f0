#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// Which program file a received program may replace: only a program of this product whose
// version is lower than its own, and only when the version that the start names is its own.
// Plain values in, a verdict out; the version resources are read elsewhere.

// A version as a version resource holds it: major, minor, patch, build.
using ProgramVersion = std::array<uint16_t, 4>;

// What the version resource of a program file says about it.
struct ProgramIdentity {
    std::wstring productName;    // "ProductName" of its string table
    ProgramVersion fileVersion;  // the fixed file version
};

// Reads a version text such as "1.0.1": one to four decimal numbers of 0 to 65535 separated by
// dots, missing parts counting as 0. Nothing for any other text (blanks, letters, empty parts).
std::optional<ProgramVersion> ParseProgramVersion(std::wstring_view text);

// "1.0.1.0" -> "1.0.1": the version as the program names it, the build number only when set.
std::wstring ProgramVersionText(const ProgramVersion& version);

enum class UpdateTargetVerdict {
    kAccepted,
    kNewFileNotThisProgram,  // the running (received) file is not `productName` or has no version resource
    kVersionTextDisagrees,   // "Version=" does not name the received file's own version
    kTargetNotThisProgram,   // the file to replace is not `productName` (no version resource, another product)
    kTargetNotOlder,         // the file to replace is of the same or a newer version
};

// The checks of an update start, in this order: the received file `newFile` is `productName`;
// `versionText` names its file version; the file to replace, `target`, is `productName`; its
// version is lower. An absent identity is a file without a readable version resource.
UpdateTargetVerdict CheckUpdateTarget(const std::optional<ProgramIdentity>& newFile,
                                      const std::optional<ProgramIdentity>& target, std::wstring_view versionText,
                                      std::wstring_view productName);
