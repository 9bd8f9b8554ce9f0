#include "ui/info_command_texts.h"

std::wstring ReplaceEvery(std::wstring text, const std::wstring& what, const std::wstring& with) {
    if (what.empty()) return text;
    for (size_t found = text.find(what); found != std::wstring::npos; found = text.find(what, found + with.size())) {
        text.replace(found, what.size(), with);
    }
    return text;
}

MailTexts ComposeRecommendMail(const std::wstring& subjectTemplate, const std::wstring& bodyTemplate,
                               const std::wstring& programName, const std::wstring& programPage) {
    MailTexts mail;
    mail.subject = ReplaceEvery(subjectTemplate, L"#AP#", programName);
    std::wstring body = ReplaceEvery(bodyTemplate, L"#AP#", programName);
    body = ReplaceEvery(body, L"\\r", L"\r");
    body = ReplaceEvery(body, L"\\n", L"\n");
    body = ReplaceEvery(body, L"#IN#", programPage);
    mail.body = ReplaceEvery(body, L"#DL#", programPage);
    return mail;
}

std::wstring InfoBoxText(const std::wstring& first, const std::wstring& second, const std::wstring& third,
                         const std::wstring& fourth, int pictureLimit) {
    const std::wstring text = first + L"\r\n\r\n" + second + L"\r\n\r\n" + third + L"\r\n" + fourth + L"\r\n";
    return ReplaceEvery(text, L"XX", std::to_wstring(pictureLimit));
}
