#pragma once

#include <windows.h>
#include <shellapi.h>

#include <memory>
#include <string>
#include <vector>

#include "common/dialog_thunk.h"
#include "common/gdi_objects.h"
#include "sources/picture_selection_set.h"
#include "sources/shown_pictures.h"
#include "sources/shown_pictures_view.h"

// The picture selection dialog, where the user assembles the individual picture list: up to 32
// picture files, added by dropping files on it or with its "...." file chooser, shown as a list
// or as thumbnails, removed again with Delete and Reset. Removing only takes a file off the
// list, and only the user removes anything: a stored picture out of reach (a drive or share not
// connected, a file locked by another program) stays listed, marked, and is stored again with
// the rest. Every change is stored in the settings file at once; once the store succeeded, the
// picture list rebuild request is raised (a failed store is said in a message box, and the
// dialog keeps its list). A modeless dialog made on first use and afterwards only hidden and
// shown. Main thread only.
class CMeineBilderDlg {
public:
    // What AddPicture answers.
    static constexpr int kAddedOrExists = 1;  // the path exists (taken when it is a picture)
    static constexpr int kNotFound = 0;       // no such file (a shell folder was walked instead)
    static constexpr int kListFull = -1;

    CMeineBilderDlg() = default;
    virtual ~CMeineBilderDlg();
    CMeineBilderDlg(const CMeineBilderDlg&) = delete;
    CMeineBilderDlg& operator=(const CMeineBilderDlg&) = delete;

    // Shows the dialog, making it first (owned by `owner`) when it does not exist yet.
    void ShowPictureSelection(HWND owner);
    // Makes the dialog hidden unless it exists; returns its window (null when it cannot be made).
    HWND Create(HWND owner);
    // Ends the dialog and its thumbnail thread and forgets the list (the program's end, and
    // tests); a dialog made again reads the stored list.
    void Destroy();

    // Adds `path` when it is a picture and the list has room. With `allowShellFolder` a path that
    // is no file, such as a drive root, is walked as a shell folder and its direct children are
    // added. With `reportLimit` a full list says so in a message box.
    int AddPicture(const std::wstring& path, bool allowShellFolder, bool reportLimit);
    // Rebuilds the shown pictures and the status line. Raises no request: the store does.
    void RefreshPictureList(bool resetThumbnails);
    // Adds files as a drop on the dialog does, then shows and stores the list. The stored list is
    // loaded first when the dialog has not loaded it yet (it could not be made, say), so that
    // the drop adds to the list rather than replacing it.
    void AddDroppedFiles(const std::vector<std::wstring>& paths);
    // Sets every text of the dialog again in the current language (after a language change).
    void RebuildTexts();

    // The Delete key, pressed (not repeated) while this dialog is the active dialog, removes the
    // selected pictures. Never takes the message away.
    void OnLoopMessage(const MSG& message);

    HWND Window() const { return m_dialog; }
    HWND ListView() const { return m_listView; }
    HWND Toolbar() const { return m_toolbar; }
    HWND StatusBar() const { return m_statusBar; }
    std::vector<ShownPicture> Shown() const { return m_shown.All(); }
    size_t PictureCount() const { return m_pictures.Count(); }
    CThumsListView2* Thumbnails() const { return m_thumbnails.get(); }

private:
    template <typename Object>
    friend INT_PTR CALLBACK DialogThunk(HWND, UINT, WPARAM, LPARAM);
    INT_PTR DialogMessage(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
    INT_PTR HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
    void Initialize();
    void CreateToolbar();
    void LayOut();
    void EnsureListLoaded();
    void LoadStoredList();
    void ApplyViewMode();
    void UpdateStatusLine();

    void OnCommand(int id);
    void OnDrop(HDROP drop);
    void ChooseFiles();
    void DeleteSelected();
    void ResetList();
    void ChooseViewMode(int mode);
    void OnGetDisplayInfo(NMLVDISPINFOW* info);
    // Stores the whole list and then raises the rebuild request; on failure says so and raises
    // nothing. Returns whether the list was stored.
    bool Store();
    bool AddEntry(const std::wstring& path, uint64_t bytes, bool reportLimit);
    void ReportLimit();
    void ReportStoreFailure();

    HWND m_dialog = nullptr;
    HWND m_listView = nullptr;
    HWND m_toolbar = nullptr;
    HWND m_statusBar = nullptr;
    UniqueImageList m_toolbarImages;
    UniqueIcon m_largeIcon;
    UniqueIcon m_smallIcon;
    std::vector<std::wstring> m_toolbarLabels;  // the buttons point into these texts
    PictureSelectionSet m_pictures;
    bool m_listLoaded = false;  // the stored list was read into m_pictures
    ShownPictures m_shown;
    std::unique_ptr<CThumsListView2> m_thumbnails;
    int m_viewMode = 2;
};

// The program's one picture selection dialog.
CMeineBilderDlg& ThePictureSelectionDialog();

// Called by the message loop with every message before dialog processing; hands the Delete key
// to the picture selection dialog while it exists.
void PictureDialogKeyHook(const MSG& message);

// Shows the picture selection dialog (owned by the settings dialog) and adds `droppedFiles`
// (may be empty) as a drop on it would.
void OpenPictureSelectionDialog(HWND settingsDialog, const std::vector<std::wstring>& droppedFiles);

// Whether the stored individual list names no picture file that exists; no file is decoded.
bool StoredIndividualListIsEmpty();
