#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "common/unique_handle.h"

// Receives a new program version offered by a page of the maker's site: after each loaded
// document it reads the offer, checks it, writes the received file into a folder of its own,
// and - once the user agreed - starts that file so that it takes the running program's place.
// From the moment its bytes are checked until it is started, the received file is held open so
// that no other process can change, replace or delete it.

inline constexpr UINT_PTR kUpdateTimerId = 11111;
inline constexpr UINT kUpdateStartDelayMs = 5000;
// The id of the page element that shows the outcome, when the page has one.
inline constexpr const wchar_t* kUpdateOutcomeElementId = L"FFFAEETFFFAEET";

// The page window that the receiver works for.
class UpdatePageHost {
public:
    virtual ~UpdatePageHost() = default;
    // Owner of the start timer (WM_TIMER with kUpdateTimerId goes to OnTimer).
    virtual HWND UpdateWindow() const = 0;
    // Shows a message box owned by the page and returns the button pressed. The page and its
    // receiver stay until the box has returned, whatever happens to the window meanwhile.
    virtual int ShowUpdateMessage(const std::wstring& text, const std::wstring& caption, UINT flags) = 0;
    // Shows `html` in the element kUpdateOutcomeElementId of the document being read, if it has one.
    virtual void ShowUpdateOutcome(const std::wstring& html) = 0;
    // Ends the program (quit code 0) so that the started update can replace its file; the page
    // goes once the current call has returned.
    virtual void EndProgramForUpdate() = 0;
};

// The files of an update.
struct UpdateFiles {
    std::wstring programPath;    // the running program's file, which the update replaces
    std::wstring writeTestFile;  // a file of the received file's name in the program's folder
    // Makes a new folder of the program's own for one received file; returns its path with a
    // trailing backslash, or empty when none could be made.
    std::function<std::wstring()> makeFolder;
};

// The files for this process: its own program file, the received file's name beside it, and
// folders made by CreateOwnTemporaryFolder with kUpdateFolderPrefix.
UpdateFiles UpdateFilesOfThisProgram();

class UpdateReceiver {
public:
    // `expectedTime` is the number that an offer's "time_base_64" must give; `makerHosts` are the
    // hosts whose update page is heard.
    UpdateReceiver(UpdatePageHost& host, UpdateFiles files, uint64_t expectedTime,
                   std::vector<std::wstring> makerHosts);
    // A received file that was not started goes with its folder.
    ~UpdateReceiver();
    UpdateReceiver(const UpdateReceiver&) = delete;
    UpdateReceiver& operator=(const UpdateReceiver&) = delete;

    // The top-level document finished loading from `address` with the text `documentText`, over
    // a connection the page trusts. Only the maker's update page is read at all; an offer is
    // checked and, when every check passes, written as kReceivedUpdateFileName into a new folder
    // (an offer that waited before goes), held, and announced on the page; the start follows
    // kUpdateStartDelayMs later through the timer. Every refusal is shown in its message box.
    // Nothing is read while the user is being asked about an offer.
    void OnDocument(std::wstring_view address, std::wstring_view documentText);

    // The start timer fired: asks the user (naming the offered version) and on consent starts
    // the held file with UpdateStartParameters, with the verb "runas" when the program's folder
    // cannot be written by this process. A refusal deletes the received file and its folder.
    void OnTimer();

    // The page that made the offer can no longer be trusted: an offer that waits for its start
    // goes (also while the user is being asked).
    void OnPageDistrusted();

    uint64_t ExpectedTime() const { return m_expectedTime; }
    // Whether the last accepted offer's start needs administrator rights.
    bool Elevated() const { return m_elevated; }
    // Whether an accepted offer waits for its start.
    bool StartPending() const { return !m_pendingVersion.empty(); }
    // The received file of the offer that waits; empty when none waits.
    const std::wstring& PendingFile() const { return m_pendingFile; }

private:
    // Deletes the received file of the waiting offer and its folder, and forgets the offer.
    void DiscardPending();

    UpdatePageHost& m_host;
    UpdateFiles m_files;
    uint64_t m_expectedTime;
    std::vector<std::wstring> m_makerHosts;
    std::wstring m_pendingVersion;
    std::wstring m_pendingFolder;
    std::wstring m_pendingFile;
    UniqueHandle m_heldFile;  // the pending file, open for reading only and shared only for reading
    unsigned m_offerNumber = 0;
    bool m_asking = false;
    bool m_elevated = false;
};

// True when a new file could be made in the folder of `writeTestFile` under that name (it is
// removed again at once); an existing file of that name counts when it can be opened for writing.
bool ProgramFolderWritable(const std::wstring& writeTestFile);

// Writes `bytes` as the new file `path` (an existing file is not replaced), then opens it again
// for reading only, sharing it only with readers - so that no process can write, rename or delete
// it while the handle is open - and reads it back. Returns that handle when the file holds
// exactly `bytes`; otherwise an empty handle, and a file this call made is removed.
UniqueHandle WriteAndHoldFile(const std::wstring& path, const std::vector<uint8_t>& bytes);

// Opens `path` for reading only, shared only with readers, and returns the handle when the file
// holds exactly `bytes`; an empty handle when it cannot be opened (another process has it open
// for writing) or holds anything else.
UniqueHandle HoldFileWithContent(const std::wstring& path, const std::vector<uint8_t>& bytes);
