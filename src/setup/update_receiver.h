#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// Receives a new program version offered by a page of the maker's site: after each loaded
// document it reads the offer, checks it, writes the received file, and - once the user agreed -
// starts that file so that it takes the running program's place.

inline constexpr UINT_PTR kUpdateTimerId = 11111;
inline constexpr UINT kUpdateStartDelayMs = 5000;
// The id of the page element that shows the outcome, when the page has one.
inline constexpr const wchar_t* kUpdateOutcomeElementId = L"FFFAEETFFFAEET";

// The page window that the receiver works for.
class UpdatePageHost {
public:
    virtual ~UpdatePageHost() = default;
    // Owner of the message boxes and of the start timer (WM_TIMER with kUpdateTimerId goes to
    // OnTimer).
    virtual HWND UpdateWindow() const = 0;
    // Shows `html` in the element kUpdateOutcomeElementId of the document being read, if it has one.
    virtual void ShowUpdateOutcome(const std::wstring& html) = 0;
    // Ends the program (quit code 0) so that the started update can replace its file.
    virtual void EndProgramForUpdate() = 0;
};

// The files of an update.
struct UpdateFiles {
    std::wstring programPath;    // the running program's file, which the update replaces
    std::wstring updateFile;     // where the received file is written and started from
    std::wstring writeTestFile;  // a file of the same name in the program's folder
};

// The files for this process: its own program file, the temporary folder + "Orbelin" +
// "_Autoupdate.exe", and the same name beside the program.
UpdateFiles UpdateFilesOfThisProgram();

class UpdateReceiver {
public:
    // `expectedTime` is the number that an offer's "time_base_64" must give; `makerHosts` are the
    // hosts whose https pages are heard.
    UpdateReceiver(UpdatePageHost& host, UpdateFiles files, uint64_t expectedTime,
                   std::vector<std::wstring> makerHosts);

    // A document finished loading from `address` with the text `documentText`. Pages from
    // elsewhere than the maker's site are not read at all; an offer is checked and, when every
    // check passes, written to the update file and announced on the page; the start follows
    // kUpdateStartDelayMs later through the timer. Every refusal is shown in its message box.
    void OnDocument(std::wstring_view address, std::wstring_view documentText);

    // The start timer fired: asks the user (naming the offered version) and on consent starts
    // the update file with UpdateStartParameters, with the verb "runas" when the program's folder
    // cannot be written by this process. A refusal deletes the update file.
    void OnTimer();

    uint64_t ExpectedTime() const { return m_expectedTime; }
    // Whether the last accepted offer's start needs administrator rights.
    bool Elevated() const { return m_elevated; }
    // Whether an accepted offer waits for its start.
    bool StartPending() const { return !m_pendingVersion.empty(); }

private:
    UpdatePageHost& m_host;
    UpdateFiles m_files;
    uint64_t m_expectedTime;
    std::vector<std::wstring> m_makerHosts;
    std::wstring m_pendingVersion;
    bool m_elevated = false;
};

// True when a new file could be made in the folder of `writeTestFile` under that name (it is
// removed again at once); an existing file of that name counts when it can be opened for writing.
bool ProgramFolderWritable(const std::wstring& writeTestFile);
