#pragma once

#include <string>

// The texts that the Info menu's commands compose from the language's templates: the e-mails
// and the info box. Plain texts only.

struct MailTexts {
    std::wstring subject;
    std::wstring body;
};

// The recommendation e-mail: "#AP#" becomes `programName` in subject and body; in the body the
// two-character sequences "\r" and "\n" become carriage return and line feed, and "#IN#" and
// "#DL#" become `programPage` (the program's page on the maker's web site).
MailTexts ComposeRecommendMail(const std::wstring& subjectTemplate, const std::wstring& bodyTemplate,
                               const std::wstring& programName, const std::wstring& programPage);

// The info box's text: `paragraphs` 1 and 2 each followed by two line breaks, 3 and 4 by one
// ("\r\n"), with every "XX" replaced by `pictureLimit`.
std::wstring InfoBoxText(const std::wstring& first, const std::wstring& second, const std::wstring& third,
                         const std::wstring& fourth, int pictureLimit);

// Every occurrence of `what` in `text` replaced by `with`, left to right.
std::wstring ReplaceEvery(std::wstring text, const std::wstring& what, const std::wstring& with);
