#pragma once

#include <windows.h>

#include <string>

#include "ui/info_command_texts.h"

// A new e-mail in the user's mail program through Simple MAPI, for the user to edit and send.
// MAPI32.DLL is loaded from the system folder only for the call. The texts go over in the thread's ANSI code page;
// no recipient is preset. `attachmentPath` (may be empty) is attached under `attachmentName`.
// Blocks while the mail program shows the message. Returns false, without any message, when
// the library or its MAPISendMail is missing, `owner` is no window, the attachment's path
// cannot be named in the ANSI code page, or the mail program refuses. `library` is the
// system library to use; tests name others.
bool SendMailThroughMapi(HWND owner, const MailTexts& mail, const std::wstring& attachmentPath,
                         const std::wstring& attachmentName, const wchar_t* library = L"MAPI32.DLL");
