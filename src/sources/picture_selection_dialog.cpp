#include "sources/picture_selection_dialog.h"

#include <commctrl.h>
#include <commdlg.h>

#include <algorithm>
#include <memory>
#include <set>

#include "common/active_dialog.h"
#include "common/dropped_files.h"
#include "common/file_attributes.h"
#include "common/process_flags.h"
#include "common/unique_handle.h"
#include "imaging/file_size_format.h"
#include "lang/language_archive.h"
#include "lang/text_ids.h"
#include "res/resource.h"
#include "settings/app_config.h"
#include "settings/ini_file.h"
#include "sources/chooser_result.h"
#include "sources/individual_list.h"
#include "sources/picture_acceptance.h"
#include "sources/picture_chooser_filter.h"
#include "sources/picture_selection_texts.h"
#include "sources/shell_folder_children.h"
#include "sources/toolbar_resource.h"
#include "sources/wic_decoder_catalog.h"

namespace {

constexpr UINT_PTR kViewModeTimer = 10000;
constexpr UINT kViewModeDelayMs = 10;
constexpr DWORD kDropSettleMs = 100;
constexpr int kStatusBarHeight = 24;
constexpr int kFileChooserBuffer = 100000;

// The view modes: 0 list with small images, 1 to 3 thumbnails of 128, 256 and 512 pixels.
constexpr int kViewModeCount = 4;
constexpr int kCellSizes[kViewModeCount] = {16, 128, 256, 512};
constexpr int kViewCommands[kViewModeCount] = {IDC_PICTURES_VIEW_LIST, IDC_PICTURES_VIEW_128, IDC_PICTURES_VIEW_256,
                                               IDC_PICTURES_VIEW_512};


// The image of each toolbar command in the toolbar bitmap.
int ToolbarImageOf(int command) {
    switch (command) {
        case IDC_PICTURES_RESET:
        case IDC_PICTURES_DELETE:
            return 0;
        case IDC_PICTURES_VIEW_512:
            return 1;
        case IDC_PICTURES_VIEW_256:
            return 2;
        case IDC_PICTURES_VIEW_128:
            return 3;
        case IDC_PICTURES_VIEW_LIST:
            return 4;
        default:
            return I_IMAGENONE;
    }
}

std::wstring LowerCase(const std::wstring& text) {
    std::wstring lower = text;
    if (!lower.empty()) CharLowerBuffW(lower.data(), static_cast<DWORD>(lower.size()));
    return lower;
}

uint64_t FileBytes(const WIN32_FIND_DATAW& found) {
    return (static_cast<uint64_t>(found.nFileSizeHigh) << 32) | found.nFileSizeLow;
}

// What a listed path is now.
enum class ListedFile {
    kPicture,      // a picture the list takes; its size is known
    kNotAPicture,  // a file that is no picture, or a folder
    kUnreachable,  // missing, on a drive or share not connected, or locked by another program
};

ListedFile CheckListedFile(const std::wstring& path, uint64_t& bytes) {
    // A name with wildcards names no file of its own.
    if (path.empty() || path.find_first_of(L"*?") != std::wstring::npos) return ListedFile::kNotAPicture;
    WIN32_FIND_DATAW found{};
    HANDLE search = FindFirstFileW(path.c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return ListedFile::kUnreachable;
    FindClose(search);
    if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) return ListedFile::kNotAPicture;
    bytes = FileBytes(found);
    // A file that another program holds without sharing it cannot be told from a broken one by
    // decoding: it is out of reach, not a file that is no picture.
    const UniqueHandle file(CreateFileW(path.c_str(), GENERIC_READ,
                                        FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                        FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.IsValid()) return ListedFile::kUnreachable;
    return IsAcceptedPicture(path) ? ListedFile::kPicture : ListedFile::kNotAPicture;
}

// A message of the picture selection dialog, owned by it (by nothing while it cannot be made).
void ShowDialogMessage(HWND dialog, const std::wstring& text, const std::wstring& caption, UINT icon) {
    MessageBoxW(dialog, text.c_str(), caption.c_str(), MB_OK | icon);
}

void CopyText(const std::wstring& text, wchar_t* buffer, int capacity) {
    if (buffer == nullptr || capacity <= 0) return;
    const size_t count = std::min(text.size(), static_cast<size_t>(capacity - 1));
    text.copy(buffer, count);
    buffer[count] = L'\0';
}

}  // namespace

CMeineBilderDlg& ThePictureSelectionDialog() {
    static CMeineBilderDlg dialog;
    return dialog;
}

void PictureDialogKeyHook(const MSG& message) { ThePictureSelectionDialog().OnLoopMessage(message); }

void OpenPictureSelectionDialog(HWND settingsDialog, const std::vector<std::wstring>& droppedFiles) {
    CMeineBilderDlg& dialog = ThePictureSelectionDialog();
    dialog.ShowPictureSelection(settingsDialog);
    if (!droppedFiles.empty()) dialog.AddDroppedFiles(droppedFiles);
}

bool StoredIndividualListIsEmpty() {
    for (const std::wstring& path : StoredIndividualListPaths()) {
        if (IsExistingFile(path)) return false;
    }
    return true;
}

CMeineBilderDlg::~CMeineBilderDlg() { Destroy(); }

void CMeineBilderDlg::Destroy() {
    // The thread goes first: it reads the shown pictures and talks to the list view.
    if (m_thumbnails) m_thumbnails->StopWorker();
    if (m_dialog != nullptr && IsWindow(m_dialog)) {
        if (ActiveDialog() == m_dialog) SetActiveDialog(nullptr);
        DestroyWindow(m_dialog);
    }
    m_thumbnails.reset();
    m_dialog = m_listView = m_toolbar = m_statusBar = nullptr;
    m_toolbarImages.Reset();
    m_largeIcon.Reset();
    m_smallIcon.Reset();
    // A dialog made again starts from the stored list.
    m_pictures.Clear();
    m_shown.Clear();
    m_listLoaded = false;
}

HWND CMeineBilderDlg::Create(HWND owner) {
    if (m_dialog != nullptr && IsWindow(m_dialog)) return m_dialog;
    m_dialog = nullptr;
    CreateDialogParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_PICTURE_SELECTION), owner,
                       DialogThunk<CMeineBilderDlg>, reinterpret_cast<LPARAM>(this));
    return m_dialog;
}

void CMeineBilderDlg::ShowPictureSelection(HWND owner) {
    if (Create(owner) == nullptr) return;
    ShowWindow(m_dialog, SW_SHOW);
    SetForegroundWindow(m_dialog);
}

INT_PTR CMeineBilderDlg::DialogMessage(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        m_dialog = dialog;
        Initialize();
        return TRUE;
    }
    // A window of a dialog made before and destroyed is not this one.
    if (m_dialog != dialog) return FALSE;
    return HandleMessage(message, wParam, lParam);
}

void CMeineBilderDlg::Initialize() {
    HINSTANCE instance = GetModuleHandleW(nullptr);
    m_largeIcon.Reset(static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(IDI_APP), IMAGE_ICON,
                                                    GetSystemMetrics(SM_CXICON), GetSystemMetrics(SM_CYICON), 0)));
    m_smallIcon.Reset(static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(IDI_APP), IMAGE_ICON,
                                                    GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON), 0)));
    SendMessageW(m_dialog, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(m_largeIcon.Get()));
    SendMessageW(m_dialog, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(m_smallIcon.Get()));
    m_viewMode = std::clamp(GlobalAppConfig().listMode.Load(), 0, kViewModeCount - 1);

    m_statusBar = CreateWindowExW(0, STATUSCLASSNAMEW, LangString(kTextReady).c_str(),
                                  WS_CHILD | WS_VISIBLE | CCS_NOPARENTALIGN | CCS_NORESIZE, 0, 0, 0, kStatusBarHeight,
                                  m_dialog, nullptr, instance, nullptr);
    m_listView = GetDlgItem(m_dialog, IDC_PICTURE_LIST);
    SendMessageW(m_listView, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_FULLROWSELECT, LVS_EX_FULLROWSELECT);
    const int columnWidths[] = {330, 90, 330};
    for (int i = 0; i < 3; ++i) {
        LVCOLUMNW column{};
        column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
        column.pszText = const_cast<wchar_t*>(L"");
        column.cx = columnWidths[i];
        column.iSubItem = i;
        SendMessageW(m_listView, LVM_INSERTCOLUMNW, i, reinterpret_cast<LPARAM>(&column));
    }

    CreateToolbar();
    RebuildTexts();
    LayOut();
    m_thumbnails = std::make_unique<CThumsListView2>(m_shown);
    m_thumbnails->Attach(m_listView);
    ApplyViewMode();
    EnsureListLoaded();
    RefreshPictureList(false);
    DragAcceptFiles(m_dialog, TRUE);
}

void CMeineBilderDlg::RebuildTexts() {
    if (m_dialog == nullptr) return;
    SetWindowTextW(m_dialog, LangString(kTextIndividualPictures).c_str());
    SetDlgItemTextW(m_dialog, IDC_PICTURES_INFO,
                    PictureSelectionInfoText(LangString(kTextPlacePictures), LangString(kTextDeleteHint)).c_str());

    const std::wstring folderTitle = LangString(kTextFolder);
    LVCOLUMNW column{};
    column.mask = LVCF_TEXT;
    column.pszText = const_cast<wchar_t*>(folderTitle.c_str());
    SendMessageW(m_listView, LVM_SETCOLUMNW, 0, reinterpret_cast<LPARAM>(&column));

    if (m_toolbar != nullptr) {
        const struct {
            int command;
            int textId;
        } labels[] = {{IDC_PICTURES_RESET, kTextReset}, {IDC_PICTURES_DELETE, kTextDelete}};
        for (const auto& label : labels) {
            const std::wstring text = BracketedLabel(LangString(label.textId));
            TBBUTTONINFOW button{};
            button.cbSize = sizeof(button);
            button.dwMask = TBIF_TEXT;
            button.pszText = const_cast<wchar_t*>(text.c_str());
            SendMessageW(m_toolbar, TB_SETBUTTONINFOW, label.command, reinterpret_cast<LPARAM>(&button));
        }
        SendMessageW(m_toolbar, TB_AUTOSIZE, 0, 0);
    }
    UpdateStatusLine();
}

void CMeineBilderDlg::CreateToolbar() {
    HINSTANCE instance = GetModuleHandleW(nullptr);
    const ToolbarResource resource = ReadToolbarResource(instance, IDR_PICTURE_TOOLBAR);
    m_toolbar = CreateWindowExW(0, TOOLBARCLASSNAMEW, nullptr,
                                WS_CHILD | WS_VISIBLE | TBSTYLE_FLAT | TBSTYLE_LIST | TBSTYLE_TOOLTIPS | CCS_NODIVIDER |
                                    CCS_NOPARENTALIGN | CCS_NORESIZE,
                                0, 0, 0, 0, m_dialog,
                                reinterpret_cast<HMENU>(static_cast<INT_PTR>(IDC_PICTURES_TOOLBAR)), instance, nullptr);
    if (m_toolbar == nullptr) return;
    SendMessageW(m_toolbar, TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON), 0);

    m_toolbarImages.Reset(ImageList_Create(resource.buttonWidth, resource.buttonHeight, ILC_COLOR32, 5, 1));
    const UniqueBitmap images(static_cast<HBITMAP>(
        LoadImageW(instance, MAKEINTRESOURCEW(IDR_PICTURE_TOOLBAR), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION)));
    if (images) ImageList_Add(m_toolbarImages.Get(), images.Get(), nullptr);
    SendMessageW(m_toolbar, TB_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(m_toolbarImages.Get()));
    SendMessageW(m_toolbar, TB_SETBITMAPSIZE, 0, MAKELPARAM(resource.buttonWidth, resource.buttonHeight));

    // The labels must live as long as the buttons.
    m_toolbarLabels.clear();
    m_toolbarLabels.reserve(resource.commands.size());
    std::vector<TBBUTTON> buttons;
    for (WORD command : resource.commands) {
        TBBUTTON button{};
        if (command == 0) {
            button.fsStyle = BTNS_SEP;
            buttons.push_back(button);
            continue;
        }
        std::wstring label;
        if (command == IDC_PICTURES_RESET) label = BracketedLabel(LangString(kTextReset));
        if (command == IDC_PICTURES_DELETE) label = BracketedLabel(LangString(kTextDelete));
        if (command == IDC_PICTURES_VIEW_512) label = L"[512]";
        if (command == IDC_PICTURES_VIEW_256) label = L"[256]";
        if (command == IDC_PICTURES_VIEW_128) label = L"[128]";
        m_toolbarLabels.push_back(label);
        button.iBitmap = ToolbarImageOf(command);
        button.idCommand = command;
        button.fsState = TBSTATE_ENABLED;
        button.fsStyle = BTNS_BUTTON | BTNS_AUTOSIZE;
        button.iString = label.empty() ? -1 : reinterpret_cast<INT_PTR>(m_toolbarLabels.back().c_str());
        buttons.push_back(button);
    }
    SendMessageW(m_toolbar, TB_ADDBUTTONSW, buttons.size(), reinterpret_cast<LPARAM>(buttons.data()));
    SendMessageW(m_toolbar, TB_AUTOSIZE, 0, 0);
    ShowWindow(m_toolbar, SW_SHOW);
}

void CMeineBilderDlg::LayOut() {
    if (m_dialog == nullptr) return;
    RECT client{};
    GetClientRect(m_dialog, &client);
    RECT units{7, 7, 50, 74};  // margin, margin, button width, list top in dialog units
    MapDialogRect(m_dialog, &units);
    const int margin = units.left;
    const int buttonWidth = units.right;
    const int width = client.right;
    const int height = client.bottom;

    const int buttonLeft = std::max(margin, width - margin - buttonWidth);
    const auto place = [](HWND window, int x, int y, int w, int h) {
        if (window != nullptr)
            SetWindowPos(window, nullptr, x, y, std::max(w, 0), std::max(h, 0), SWP_NOZORDER | SWP_NOACTIVATE);
    };
    HWND ok = GetDlgItem(m_dialog, IDC_PICTURES_OK);
    HWND browse = GetDlgItem(m_dialog, IDC_PICTURES_BROWSE);
    HWND info = GetDlgItem(m_dialog, IDC_PICTURES_INFO);
    RECT okRect{}, browseRect{}, infoRect{};
    GetWindowRect(ok, &okRect);
    GetWindowRect(browse, &browseRect);
    GetWindowRect(info, &infoRect);
    MapWindowPoints(nullptr, m_dialog, reinterpret_cast<POINT*>(&okRect), 2);
    MapWindowPoints(nullptr, m_dialog, reinterpret_cast<POINT*>(&browseRect), 2);
    MapWindowPoints(nullptr, m_dialog, reinterpret_cast<POINT*>(&infoRect), 2);
    place(ok, buttonLeft, okRect.top, buttonWidth, okRect.bottom - okRect.top);
    place(browse, buttonLeft, browseRect.top, buttonWidth, browseRect.bottom - browseRect.top);
    place(info, margin, infoRect.top, buttonLeft - 2 * margin, infoRect.bottom - infoRect.top);

    // The toolbar between the information text and the list, the list down to the status bar.
    int toolbarHeight = 0;
    if (m_toolbar != nullptr) {
        const DWORD size = static_cast<DWORD>(SendMessageW(m_toolbar, TB_GETBUTTONSIZE, 0, 0));
        toolbarHeight = HIWORD(size);
        place(m_toolbar, margin, infoRect.bottom + 2, width - 2 * margin, toolbarHeight);
    }
    const int listTop = std::max<int>(units.bottom, infoRect.bottom + 2 + toolbarHeight + 2);
    place(m_listView, margin, listTop, width - 2 * margin, height - kStatusBarHeight - margin / 2 - listTop);
    place(m_statusBar, 0, height - kStatusBarHeight, width, kStatusBarHeight);
}

void CMeineBilderDlg::EnsureListLoaded() {
    if (!m_listLoaded) LoadStoredList();
}

void CMeineBilderDlg::LoadStoredList() {
    m_listLoaded = true;
    for (const std::wstring& path : StoredIndividualListPaths()) {
        if (m_pictures.IsFull()) break;
        uint64_t bytes = 0;
        switch (CheckListedFile(path, bytes)) {
            case ListedFile::kPicture:
                m_pictures.Add(LowerCase(path), path, bytes);
                break;
            case ListedFile::kUnreachable:
                // Kept as stored, marked, until the user removes it or it can be reached again.
                m_pictures.Add(LowerCase(path), path, 0, false);
                break;
            case ListedFile::kNotAPicture:
                break;
        }
    }
}

void CMeineBilderDlg::ApplyViewMode() {
    if (!m_thumbnails) return;
    m_thumbnails->SetCellSize(kCellSizes[m_viewMode]);
    if (m_viewMode == 0) {
        m_thumbnails->UseDetailsView();
    } else {
        m_thumbnails->UseIconView();
    }
    for (int mode = 0; mode < kViewModeCount; ++mode) {
        SendMessageW(m_toolbar, TB_ENABLEBUTTON, kViewCommands[mode], MAKELPARAM(mode != m_viewMode, 0));
    }
}

INT_PTR CMeineBilderDlg::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_COMMAND:
            OnCommand(LOWORD(wParam));
            return TRUE;
        case WM_CLOSE:
            ShowWindow(m_dialog, SW_HIDE);
            return TRUE;
        case WM_DROPFILES:
            OnDrop(reinterpret_cast<HDROP>(wParam));
            return TRUE;
        case WM_TIMER:
            if (wParam != kViewModeTimer) return FALSE;
            KillTimer(m_dialog, kViewModeTimer);
            ApplyViewMode();
            RefreshPictureList(true);
            return TRUE;
        case WM_SIZE:
            LayOut();
            return TRUE;
        case WM_ACTIVATE:
            if (LOWORD(wParam) != WA_INACTIVE) {
                SetActiveDialog(m_dialog);
            } else if (ActiveDialog() == m_dialog) {
                SetActiveDialog(nullptr);
            }
            return FALSE;
        case WM_NOTIFY: {
            const auto* header = reinterpret_cast<const NMHDR*>(lParam);
            if (header != nullptr && header->hwndFrom == m_listView && header->code == LVN_GETDISPINFOW) {
                OnGetDisplayInfo(reinterpret_cast<NMLVDISPINFOW*>(lParam));
                return TRUE;
            }
            return FALSE;
        }
        default:
            return FALSE;
    }
}

void CMeineBilderDlg::OnCommand(int id) {
    switch (id) {
        case IDC_PICTURES_OK:
        case IDCANCEL:
        case IDOK:
            ShowWindow(m_dialog, SW_HIDE);
            return;
        case IDC_PICTURES_BROWSE:
            ChooseFiles();
            return;
        case IDC_PICTURES_DELETE:
            DeleteSelected();
            return;
        case IDC_PICTURES_RESET:
            ResetList();
            return;
        case IDC_PICTURES_VIEW_LIST:
            ChooseViewMode(0);
            return;
        case IDC_PICTURES_VIEW_128:
            ChooseViewMode(1);
            return;
        case IDC_PICTURES_VIEW_256:
            ChooseViewMode(2);
            return;
        case IDC_PICTURES_VIEW_512:
            ChooseViewMode(3);
            return;
        default:
            return;
    }
}

void CMeineBilderDlg::ReportLimit() {
    ShowDialogMessage(m_dialog, PictureLimitText(LangString(kTextPictureLimit)), LangString(kTextInfoCaption), 0);
}

void CMeineBilderDlg::ReportStoreFailure() {
    ShowDialogMessage(m_dialog, LangString(kTextListNotStored) + L"\n\n" + SettingsPath(), LangString(kTextAttention),
                      MB_ICONWARNING);
}

bool CMeineBilderDlg::AddEntry(const std::wstring& path, uint64_t bytes, bool reportLimit) {
    if (m_pictures.IsFull()) {
        if (reportLimit) ReportLimit();
        return false;
    }
    if (IsAcceptedPicture(path)) m_pictures.Add(LowerCase(path), path, bytes);
    return true;
}

int CMeineBilderDlg::AddPicture(const std::wstring& path, bool allowShellFolder, bool reportLimit) {
    if (m_pictures.IsFull()) {
        if (reportLimit) ReportLimit();
        return kListFull;
    }
    WIN32_FIND_DATAW found{};
    // A name with wildcards would find some other file.
    const bool plainName = !path.empty() && path.find_first_of(L"*?") == std::wstring::npos;
    HANDLE search = plainName ? FindFirstFileW(path.c_str(), &found) : INVALID_HANDLE_VALUE;
    if (search != INVALID_HANDLE_VALUE) {
        FindClose(search);
        if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0) AddEntry(path, FileBytes(found), reportLimit);
        return kAddedOrExists;
    }
    if (allowShellFolder && plainName) {
        // A drive root is no file: its direct children are offered one by one.
        for (const std::wstring& child : ShellFolderChildren(path)) {
            if (AddPicture(child, false, reportLimit) == kListFull) break;
        }
    }
    return kNotFound;
}

void CMeineBilderDlg::RefreshPictureList(bool resetThumbnails) {
    if (m_listView != nullptr) SendMessageW(m_listView, LVM_SETITEMCOUNT, 0, 0);
    std::set<std::wstring> wasUnreachable;
    for (const ShownPicture& picture : m_shown.All()) {
        if (picture.unreachable) wasUnreachable.insert(picture.path);
    }
    std::vector<ShownPicture> shown;
    for (const SelectedPicture& picture : m_pictures.Pictures()) {
        ShownPicture entry;
        entry.path = picture.path;
        entry.key = picture.key;
        entry.bytes = picture.bytes;
        const DWORD attributes = GetFileAttributesW(picture.path.c_str());
        bool confirmed = picture.confirmed;
        if (!confirmed && attributes != INVALID_FILE_ATTRIBUTES) {
            // Out of reach when the list was loaded and there again now: checked as a new one.
            uint64_t bytes = 0;
            if (CheckListedFile(picture.path, bytes) == ListedFile::kPicture) {
                m_pictures.Add(picture.key, picture.path, bytes);
                entry.bytes = bytes;
                confirmed = true;
            }
        }
        // A picture that went missing since stays listed and stored, marked, until the user
        // removes it.
        entry.unreachable = !confirmed || attributes == INVALID_FILE_ATTRIBUTES;
        entry.isFolder = !entry.unreachable && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
        shown.push_back(std::move(entry));
    }
    // The thumbnails of pictures taken off the list are released; so are those of pictures that
    // came into reach or went out of it, which are looked at afresh.
    std::set<std::wstring> keptThumbnails;
    for (const ShownPicture& picture : shown) {
        if (!picture.unreachable && wasUnreachable.count(picture.path) == 0) keptThumbnails.insert(picture.path);
    }
    const int count = static_cast<int>(shown.size());
    m_shown.Replace(std::move(shown), resetThumbnails);
    if (m_thumbnails) m_thumbnails->KeepThumbnailsOf(keptThumbnails);
    if (m_listView != nullptr) {
        SendMessageW(m_listView, LVM_SETITEMCOUNT, count, 0);
        InvalidateRect(m_listView, nullptr, TRUE);
    }
    UpdateStatusLine();
}

void CMeineBilderDlg::UpdateStatusLine() {
    if (m_statusBar == nullptr) return;
    const std::vector<ShownPicture> shown = m_shown.All();
    uint64_t totalBytes = 0;
    for (const ShownPicture& picture : shown) totalBytes += picture.unreachable ? 0 : picture.bytes;
    const std::wstring line = PictureStatusLine(LangString(kTextReady), LangString(kTextItems),
                                                static_cast<int>(shown.size()), FormatFileSize(totalBytes));
    SendMessageW(m_statusBar, SB_SETTEXTW, 0, reinterpret_cast<LPARAM>(line.c_str()));
}

bool CMeineBilderDlg::Store() {
    std::vector<std::wstring> paths;
    for (const SelectedPicture& picture : m_pictures.Pictures()) paths.push_back(picture.path);
    // The displays are told only once the new list is there to be read.
    if (!SaveIndividualPictures(paths)) {
        ReportStoreFailure();
        return false;
    }
    RequestPictureListRebuild();
    return true;
}

void CMeineBilderDlg::AddDroppedFiles(const std::vector<std::wstring>& paths) {
    EnsureListLoaded();
    for (const std::wstring& path : paths) {
        if (AddPicture(path, true, true) == kListFull) break;
    }
    // The list first, then the store: what is stored is what the list shows.
    RefreshPictureList(false);
    Store();
}

void CMeineBilderDlg::OnDrop(HDROP drop) {
    const std::vector<std::wstring> paths = TakeDroppedFiles(drop);
    // The files of a drop may still be settling into place.
    Sleep(kDropSettleMs);
    AddDroppedFiles(paths);
}

void CMeineBilderDlg::ChooseFiles() {
    std::vector<wchar_t> files(kFileChooserBuffer, L'\0');
    std::vector<wchar_t> titles(kFileChooserBuffer, L'\0');
    OPENFILENAMEW chooser{};
    chooser.lStructSize = sizeof(chooser);
    // Owned by this dialog, so that the dialog waits for the choice.
    chooser.hwndOwner = m_dialog;
    const std::wstring filter = PictureChooserFilter(InstalledWicDecoders().extensionLists);
    chooser.lpstrFilter = filter.c_str();
    chooser.nFilterIndex = 1;
    chooser.lpstrFile = files.data();
    chooser.nMaxFile = kFileChooserBuffer;
    chooser.lpstrFileTitle = titles.data();
    chooser.nMaxFileTitle = kFileChooserBuffer;
    chooser.Flags = OFN_EXPLORER | OFN_ALLOWMULTISELECT | OFN_NOCHANGEDIR;
    std::vector<std::wstring> chosen;
    if (GetOpenFileNameW(&chooser)) chosen = ChosenFilePaths(std::wstring_view(files.data(), files.size()));
    for (const std::wstring& path : chosen) {
        if (path.size() > 4 && AddPicture(path, true, true) == kListFull) break;
    }
    RefreshPictureList(false);
    Store();
}

void CMeineBilderDlg::DeleteSelected() {
    std::vector<ShownPicture> kept;
    const std::vector<ShownPicture> shown = m_shown.All();
    for (size_t i = 0; i < shown.size(); ++i) {
        const UINT state = static_cast<UINT>(SendMessageW(m_listView, LVM_GETITEMSTATE, i, LVIS_SELECTED));
        if ((state & LVIS_SELECTED) == 0) kept.push_back(shown[i]);
    }
    SendMessageW(m_listView, LVM_SETITEMCOUNT, 0, 0);
    m_pictures.Clear();
    // The kept pictures are checked again; one out of reach stays, marked, as it is.
    for (const ShownPicture& picture : kept) {
        uint64_t bytes = 0;
        switch (CheckListedFile(picture.path, bytes)) {
            case ListedFile::kPicture:
                m_pictures.Add(picture.key, picture.path, picture.unreachable ? bytes : picture.bytes);
                break;
            case ListedFile::kUnreachable:
                m_pictures.Add(picture.key, picture.path, picture.bytes, false);
                break;
            case ListedFile::kNotAPicture:
                break;
        }
    }
    RefreshPictureList(false);
    Store();
}

void CMeineBilderDlg::ResetList() {
    if (m_listView != nullptr) SendMessageW(m_listView, LVM_SETITEMCOUNT, 0, 0);
    m_pictures.Clear();
    m_shown.Clear();
    if (m_thumbnails) m_thumbnails->Clear();
    RefreshPictureList(false);
    Store();
}

void CMeineBilderDlg::ChooseViewMode(int mode) {
    if (mode != m_viewMode) {
        m_viewMode = mode;
        GlobalAppConfig().listMode.Set(mode);
    }
    SetTimer(m_dialog, kViewModeTimer, kViewModeDelayMs, nullptr);
}

void CMeineBilderDlg::OnGetDisplayInfo(NMLVDISPINFOW* info) {
    ShownPicture picture;
    const bool known = m_shown.At(info->item.iItem, picture);
    if ((info->item.mask & LVIF_TEXT) != 0) {
        std::wstring text;
        if (known) {
            switch (info->item.iSubItem) {
                case 0:
                    text = picture.path;
                    break;
                case 1:
                    if (picture.unreachable) {
                        text = L"?";
                    } else {
                        text = picture.isFolder ? std::wstring(L"<DIR>") : FormatFileSize(picture.bytes);
                    }
                    break;
                case 2:
                    text = FolderOfKey(picture.key);
                    break;
                default:
                    break;
            }
        }
        CopyText(text, info->item.pszText, info->item.cchTextMax);
    }
    if (m_thumbnails) m_thumbnails->OnGetDisplayInfo(info);
}

void CMeineBilderDlg::OnLoopMessage(const MSG& message) {
    if (m_dialog == nullptr || message.message != WM_KEYDOWN || message.wParam != VK_DELETE) return;
    // Bit 30: the key was down already, an automatic repeat while it is held.
    const bool repeated = (message.lParam & (1 << 30)) != 0;
    if (repeated || ActiveDialog() != m_dialog || !IsWindowVisible(m_dialog)) return;
    DeleteSelected();
}
