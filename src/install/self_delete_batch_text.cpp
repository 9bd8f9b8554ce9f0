// The batch text itself: plain texts only, no Windows calls.
#include "install/self_delete_batch.h"

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

std::optional<std::string> SelfDeleteBatchText(const SelfDeleteBatchPaths& paths) {
    for (const std::string* optional : {&paths.secondFile, &paths.folderToRemove, &paths.batchFolder}) {
        if (!optional->empty() && !CanBeQuoted(*optional)) return std::nullopt;
    }
    if (!CanBeQuoted(paths.fileToDelete) || !CanBeQuoted(paths.batchFile)) return std::nullopt;
    std::string text = ":Repeat\r\n";
    text += "DEL " + Quoted(paths.fileToDelete) + "\r\n";
    text += "if exist " + Quoted(paths.fileToDelete) + " goto Repeat\r\n";
    if (!paths.secondFile.empty()) text += "DEL " + Quoted(paths.secondFile) + "\r\n";
    // RMDIR without /S: a folder that still holds anything stays.
    if (!paths.folderToRemove.empty()) text += "RMDIR " + Quoted(paths.folderToRemove) + "\r\n";
    if (paths.batchFolder.empty()) {
        text += "DEL " + Quoted(paths.batchFile) + "\r\n";
        return text;
    }
    // No folder can be removed while it is the interpreter's current folder. Both go on one
    // line: the interpreter reads no further line once its batch is gone.
    text += "CD ..\r\n";
    text += "DEL " + Quoted(paths.batchFile) + " & RMDIR " + Quoted(paths.batchFolder) + "\r\n";
    return text;
}
