// The choose-files dialog with many conflicts: how long it takes to open (created, rows
// appended, first paint done) and to scroll through every row page by page, against the
// system's own list (a report-mode SysListView32 in a dialog of the same template, with
// the same files, their shell icons and the same two text columns per side) doing the
// same. Runs alternate; medians are printed with the ratio.
//
//   ChooseFilesBench.exe FOLDER [/files N] [/runs N]
#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>

#include <algorithm>
#include <cstdio>
#include <cwchar>
#include <string>
#include <vector>

#include "control/CoreDisplayStatus.h"
#include "ui/ChooseFilesDlg.h"
#include "ui/ChooseFilesListView.h"
#include "ui/OverwriteFileView.h"
#include "ui/resource.h"

namespace {

double Now() {
    static LARGE_INTEGER frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return f;
    }();
    LARGE_INTEGER t;
    QueryPerformanceCounter(&t);
    return static_cast<double>(t.QuadPart) / static_cast<double>(frequency.QuadPart);
}

void Pump() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

bool WriteFile(const std::wstring& path, const std::string& bytes) {
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    DWORD written = 0;
    const bool ok = ::WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(file);
    return ok;
}

std::vector<CChooseFilesDrawerData> MakePairs(const std::wstring& folder, int count) {
    CreateDirectoryW(folder.c_str(), nullptr);
    CreateDirectoryW((folder + L"\\new").c_str(), nullptr);
    CreateDirectoryW((folder + L"\\old").c_str(), nullptr);
    std::vector<CChooseFilesDrawerData> pairs;
    const wchar_t* extensions[] = {L"txt", L"bmp", L"dat", L"exe"};
    for (int i = 0; i < count; ++i) {
        wchar_t name[64];
        swprintf(name, 64, L"file%04d.%ls", i, extensions[i % 4]);
        CChooseFilesDrawerData pair;
        pair.newFile.path = (folder + L"\\new\\" + name).c_str();
        pair.existingFile.path = (folder + L"\\old\\" + name).c_str();
        WriteFile(pair.newFile.path.GetString(), std::string(100 + i, 'n'));
        WriteFile(pair.existingFile.path.GetString(), std::string(50 + i * 2, 'o'));
        pair.newFile.Load();
        pair.existingFile.Load();
        pairs.push_back(pair);
    }
    return pairs;
}

// Opening and scrolling the program's dialog; seconds of each.
void RunDialog(std::vector<CChooseFilesDrawerData>& pairs, double* open, double* scroll) {
    const double start = Now();
    CChooseFilesDlg dialog(&pairs);
    dialog.SetFolders(L"C:\\new", L"C:\\old");
    dialog.Create(IDD_CHOOSE_FILES);
    dialog.ShowWindow(SW_SHOW);
    dialog.UpdateWindow();
    CChooseFilesListView* list = dialog.GetList();
    list->UpdateWindow();
    Pump();
    *open = Now() - start;
    const double scrolling = Now();
    CRect client;
    list->GetClientRect(&client);
    for (int y = 0; y < list->GetTotalSize().cy; y += client.Height()) {
        list->ScrollToPosition(CPoint(0, y));
        list->UpdateWindow();
    }
    Pump();
    *scroll = Now() - scrolling;
    dialog.DestroyWindow();
    Pump();
}

// The peer: the system's list view with the same rows, the shell's icons of both files
// and the time and size texts, in the same dialog template.
INT_PTR CALLBACK PlainDialogProc(HWND, UINT message, WPARAM, LPARAM) { return message == WM_INITDIALOG; }

void RunListView(const std::vector<CChooseFilesDrawerData>& pairs, double* open, double* scroll) {
    const double start = Now();
    HWND dialog = CreateDialogParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_CHOOSE_FILES), nullptr,
                                     PlainDialogProc, 0);
    RECT rect;
    GetWindowRect(GetDlgItem(dialog, IDC_FILE_LIST_PLACEHOLDER), &rect);
    MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&rect), 2);
    HWND list = CreateWindowExW(0, WC_LISTVIEWW, L"", WS_CHILD | WS_VISIBLE | LVS_REPORT | LVS_SHAREIMAGELISTS,
                                rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top, dialog, nullptr,
                                nullptr, nullptr);
    SHFILEINFOW info{};
    auto images = reinterpret_cast<HIMAGELIST>(
        SHGetFileInfoW(L"C:\\", 0, &info, sizeof info, SHGFI_SYSICONINDEX | SHGFI_LARGEICON));
    ListView_SetImageList(list, images, LVSIL_SMALL);
    const wchar_t* headings[] = {L"new", L"time", L"size", L"existing", L"time", L"size"};
    for (int c = 0; c < 6; ++c) {
        LVCOLUMNW column{LVCF_TEXT | LVCF_WIDTH, 0, 80, const_cast<LPWSTR>(headings[c])};
        ListView_InsertColumn(list, c, &column);
    }
    ShowWindow(dialog, SW_SHOW);
    int row = 0;
    for (const CChooseFilesDrawerData& pair : pairs) {
        const CChooseFilesDrawerFileData* sides[2] = {&pair.newFile, &pair.existingFile};
        for (int s = 0; s < 2; ++s) {
            SHGetFileInfoW(sides[s]->path, 0, &info, sizeof info, SHGFI_SYSICONINDEX);
            CString texts[3] = {sides[s]->path, COverwriteFileView::TimeText(sides[s]->data.ftLastWriteTime),
                                Swiftlet::FormatByteSize(sides[s]->Size())};
            for (int t = 0; t < 3; ++t) {
                LVITEMW item{};
                item.iItem = row;
                item.iSubItem = s * 3 + t;
                item.mask = LVIF_TEXT | (item.iSubItem == 0 ? LVIF_IMAGE : 0);
                item.iImage = info.iIcon;
                item.pszText = const_cast<LPWSTR>(texts[t].GetString());
                if (item.iSubItem == 0)
                    ListView_InsertItem(list, &item);
                else
                    ListView_SetItem(list, &item);
            }
        }
        ++row;
    }
    UpdateWindow(dialog);
    UpdateWindow(list);
    Pump();
    *open = Now() - start;
    const double scrolling = Now();
    const int pages = ListView_GetItemCount(list) / std::max(1, ListView_GetCountPerPage(list)) + 1;
    for (int p = 0; p < pages; ++p) {
        SendMessageW(list, WM_VSCROLL, SB_PAGEDOWN, 0);
        UpdateWindow(list);
    }
    Pump();
    *scroll = Now() - scrolling;
    DestroyWindow(dialog);
    Pump();
}

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 2) {
        fwprintf(stderr, L"usage: ChooseFilesBench FOLDER [/files N] [/runs N]\n");
        return 2;
    }
    int files = 500;
    int runs = 3;
    for (int i = 2; i + 1 < argc; i += 2) {
        if (!_wcsicmp(argv[i], L"/files"))
            files = _wtoi(argv[i + 1]);
        else if (!_wcsicmp(argv[i], L"/runs"))
            runs = _wtoi(argv[i + 1]);
    }
    CoInitialize(nullptr);
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_WIN95_CLASSES | ICC_LINK_CLASS};
    InitCommonControlsEx(&controls);
    std::vector<CChooseFilesDrawerData> pairs = MakePairs(argv[1], files);
    std::vector<double> dialogOpen, dialogScroll, listOpen, listScroll;
    for (int r = 0; r < runs; ++r) {
        double open = 0, scroll = 0;
        RunDialog(pairs, &open, &scroll);
        dialogOpen.push_back(open);
        dialogScroll.push_back(scroll);
        RunListView(pairs, &open, &scroll);
        listOpen.push_back(open);
        listScroll.push_back(scroll);
    }
    const double dOpen = Median(dialogOpen), dScroll = Median(dialogScroll);
    const double lOpen = Median(listOpen), lScroll = Median(listScroll);
    printf("%d conflicting files, %d runs (medians)\n", files, runs);
    printf("%-28s %10s %10s %10s\n", "", "open s", "scroll s", "both s");
    printf("%-28s %10.3f %10.3f %10.3f\n", "choose-files dialog", dOpen, dScroll, dOpen + dScroll);
    printf("%-28s %10.3f %10.3f %10.3f\n", "system list view (peer)", lOpen, lScroll, lOpen + lScroll);
    auto ratio = [](double a, double b) { return b > 0 ? a / b : 0.0; };
    printf("%-28s %10.2f %10.2f %10.2f\n", "ratio dialog / peer", ratio(dOpen, lOpen), ratio(dScroll, lScroll),
           ratio(dOpen + dScroll, lOpen + lScroll));
    // Where a side's image time goes: the four thumbnail sources, then the icon.
    UShell::ThumbnailGetter thumbnails;
    UShell::FileIconGetter icons;
    const int sample = std::min<int>(100, static_cast<int>(pairs.size()));
    double start = Now();
    for (int i = 0; i < sample; ++i)
        if (HBITMAP bitmap = thumbnails.GetThumbnail(pairs[i].newFile.path, SIZE{64, 64}))
            DeleteObject(bitmap);
    const double thumbnailMs = (Now() - start) * 1000 / std::max(1, sample);
    start = Now();
    for (int i = 0; i < sample; ++i)
        if (HICON icon = icons.GetIcon(pairs[i].newFile.path))
            DestroyIcon(icon);
    const double iconMs = (Now() - start) * 1000 / std::max(1, sample);
    printf("per side: thumbnail sources %.2f ms, icon %.2f ms\n", thumbnailMs, iconMs);
    CoUninitialize();
    return 0;
}
