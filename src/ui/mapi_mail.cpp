#include "ui/mapi_mail.h"

#include <mapi.h>

#include <optional>

#include "common/ansi_text.h"
#include "common/proc_address.h"
#include "common/system_library.h"

namespace {

// Texts the code page cannot hold lose those characters; the mail is still worth sending.
std::string AnsiTextOf(const std::wstring& text) {
    if (std::optional<std::string> exact = ExactAnsiText(text)) return *exact;
    const int length = WideCharToMultiByte(CP_THREAD_ACP, 0, text.c_str(), static_cast<int>(text.size()), nullptr, 0,
                                           nullptr, nullptr);
    std::string ansi(static_cast<size_t>(length > 0 ? length : 0), '\0');
    if (length > 0) {
        WideCharToMultiByte(CP_THREAD_ACP, 0, text.c_str(), static_cast<int>(text.size()), ansi.data(), length, nullptr,
                            nullptr);
    }
    return ansi;
}

}  // namespace

bool SendMailThroughMapi(HWND owner, const MailTexts& mail, const std::wstring& attachmentPath,
                         const std::wstring& attachmentName, const wchar_t* library) {
    if (owner == nullptr || !IsWindow(owner)) return false;
    std::string path;
    if (!attachmentPath.empty()) {
        std::optional<std::string> ansiPath = ExactAnsiPath(attachmentPath);
        if (!ansiPath) return false;
        path = *ansiPath;
    }
    HMODULE mapi = LoadSystemLibrary(library);
    if (mapi == nullptr) return false;
    auto sendMail = GetProcAddressAs<LPMAPISENDMAIL>(mapi, "MAPISendMail");
    if (sendMail == nullptr) {
        FreeLibrary(mapi);
        return false;
    }

    std::string subject = AnsiTextOf(mail.subject);
    std::string body = AnsiTextOf(mail.body);
    std::string name = AnsiTextOf(attachmentName);
    MapiFileDesc attachment{};
    attachment.nPosition = static_cast<ULONG>(-1);
    attachment.lpszPathName = path.data();
    attachment.lpszFileName = name.data();
    MapiMessage message{};
    message.lpszSubject = subject.data();
    message.lpszNoteText = body.data();
    if (!path.empty()) {
        message.nFileCount = 1;
        message.lpFiles = &attachment;
    }
    const ULONG result = sendMail(0, reinterpret_cast<ULONG_PTR>(owner), &message, MAPI_LOGON_UI | MAPI_DIALOG, 0);
    FreeLibrary(mapi);
    return result == SUCCESS_SUCCESS;
}
