// The batch text itself: plain texts only, no Windows calls.
#include "setup/self_delete_batch.h"

namespace {

bool CanBeQuoted(const std::string& path) {
    if (path.empty()) return false;
    for (unsigned char c : path) {
        if (c == '"' || c < 0x20) return false;
    }
    return true;
}

// "%" doubled: the interpreter turns "%%" back into one "%" and expands nothing. No byte of a
// double-byte character can be "%" (trail bytes start at 0x40), so doubling bytes is safe in
// every ANSI code page.
std::string Quoted(const std::string& path) {
    std::string quoted = "\"";
    for (char c : path) {
        quoted += c;
        if (c == '%') quoted += '%';
    }
    return quoted + "\"";
}

}  // namespace

std::optional<std::string> SelfDeleteBatchText(const std::string& fileToDelete, const std::string& secondFile,
                                               const std::string& batchFile) {
    if (!CanBeQuoted(fileToDelete) || !CanBeQuoted(batchFile) || (!secondFile.empty() && !CanBeQuoted(secondFile))) {
        return std::nullopt;
    }
    std::string text = ":Repeat\r\n";
    text += "DEL " + Quoted(fileToDelete) + "\r\n";
    text += "if exist " + Quoted(fileToDelete) + " goto Repeat\r\n";
    if (!secondFile.empty()) text += "DEL " + Quoted(secondFile) + "\r\n";
    text += "DEL " + Quoted(batchFile) + "\r\n";
    return text;
}
