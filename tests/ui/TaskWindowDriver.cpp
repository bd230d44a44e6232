#include "TaskWindowDriver.h"

#include <algorithm>
#include <string>

#include "tests/support/TestFiles.h"
#include "ui/resource.h"

namespace TaskWindowDriver {

namespace {

constexpr int kPaneId = 0xE900;

CString ClassName(HWND window) {
    wchar_t name[64] = {};
    ::GetClassNameW(window, name, 64);
    return CString(name);
}

DWORD ProcessOf(HWND window) {
    DWORD id = 0;
    ::GetWindowThreadProcessId(window, &id);
    return id;
}

std::vector<HWND> TopLevelDialogs(DWORD processId) {
    struct Search {
        DWORD processId;
        std::vector<HWND> found;
    } search{processId, {}};
    ::EnumWindows(
        [](HWND window, LPARAM param) -> BOOL {
            auto* s = reinterpret_cast<Search*>(param);
            if (ProcessOf(window) == s->processId && ClassName(window) == L"#32770")
                s->found.push_back(window);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

std::vector<HWND> Children(HWND parent) {
    std::vector<HWND> children;
    for (HWND child = ::GetWindow(parent, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT))
        children.push_back(child);
    return children;
}

void ListInto(const CString& root, const CString& relative, std::vector<CString>& files) {
    WIN32_FIND_DATAW data;
    const CString folder = relative.IsEmpty() ? root : root + L"\\" + relative;
    HANDLE find = ::FindFirstFileW(folder + L"\\*", &data);
    if (find == INVALID_HANDLE_VALUE)
        return;
    do {
        const CString name = data.cFileName;
        if (name == L"." || name == L"..")
            continue;
        const CString path = relative.IsEmpty() ? name : relative + L"\\" + name;
        if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
            ListInto(root, path, files);
        else
            files.push_back(path);
    } while (::FindNextFileW(find, &data));
    ::FindClose(find);
}

}  // namespace

bool WaitFor(const std::function<bool()>& done, DWORD timeoutMs) {
    const DWORD start = ::GetTickCount();
    for (;;) {
        if (done())
            return true;
        if (::GetTickCount() - start >= timeoutMs)
            return done();
        ::Sleep(10);
    }
}

CString WindowText(HWND window) {
    wchar_t text[1024] = {};
    DWORD_PTR copied = 0;
    if (!window || !::SendMessageTimeoutW(window, WM_GETTEXT, 1024, reinterpret_cast<LPARAM>(text), SMTO_BLOCK,
                                          10000, &copied))
        return CString();
    return CString(text);
}

CString ProgramString(UINT id) {
    CString text;
    text.LoadString(id);
    return text;
}

HWND FindTaskWindow(DWORD processId) {
    for (HWND dialog : TopLevelDialogs(processId)) {
        if (::GetDlgItem(dialog, IDC_BANNER))
            return dialog;
    }
    return nullptr;
}

HWND FindMessageBox(DWORD processId) {
    for (HWND dialog : TopLevelDialogs(processId)) {
        if (!::GetDlgItem(dialog, IDC_BANNER) && ::IsWindowVisible(dialog))
            return dialog;
    }
    return nullptr;
}

HWND OperationList(HWND taskWindow) {
    for (HWND child : Children(taskWindow)) {
        if (::GetDlgCtrlID(child) == 0 && ClassName(child) != L"Static" && ClassName(child) != L"Button")
            return child;
    }
    return nullptr;
}

std::vector<HWND> Panels(HWND taskWindow) {
    std::vector<HWND> panels;
    HWND list = OperationList(taskWindow);
    if (!list)
        return panels;
    for (HWND child : Children(list)) {
        if (::IsWindowVisible(child))
            panels.push_back(child);
    }
    // Display order: top to bottom.
    std::sort(panels.begin(), panels.end(), [](HWND a, HWND b) {
        RECT ra, rb;
        ::GetWindowRect(a, &ra);
        ::GetWindowRect(b, &rb);
        return ra.top < rb.top;
    });
    return panels;
}

HWND ActiveView(HWND panel) {
    for (HWND child : Children(panel)) {
        if (::GetDlgCtrlID(child) == kPaneId && ::IsWindowVisible(child))
            return child;
    }
    return nullptr;
}

int ActiveViewPlace(HWND panel) {
    const HWND view = ActiveView(panel);
    const std::vector<HWND> children = Children(panel);
    const auto found = std::find(children.begin(), children.end(), view);
    return view && found != children.end() ? static_cast<int>(found - children.begin()) : -1;
}

HWND ViewItem(HWND panel, int id) {
    HWND view = ActiveView(panel);
    return view ? ::GetDlgItem(view, id) : nullptr;
}

bool PauseJob(HWND panel, DWORD timeoutMs) {
    const auto prefix = [](UINT id) {
        const CString text = ProgramString(id);
        return text.Left(text.Find(L'%'));
    };
    const CString paused = prefix(IDS_PAUSED_PERCENT_COMPLETE);
    const CString pausing = prefix(IDS_PAUSING_PERCENT_COMPLETE);
    // A click in the moment the job passes from finding its items to copying them finds
    // nothing to pause: the button is clicked again until the job says it is pausing.
    return WaitFor(
        [&] {
            const CString caption = WindowText(ViewItem(panel, IDC_PROGRESS_CAPTION));
            if (caption.Find(paused) == 0)
                return true;
            const HWND button = ViewItem(panel, IDC_PAUSE);
            if (caption.Find(pausing) != 0 && button && ::IsWindowEnabled(button))
                ::SendMessageW(button, BM_CLICK, 0, 0);
            return false;
        },
        timeoutMs);
}

bool MakeFiles(const CString& folder, int count, int size) {
    if (!TestFiles::MakeFolders(folder))
        return false;
    std::string bytes(static_cast<size_t>(size), '\0');
    for (int i = 0; i < count; ++i) {
        for (size_t j = 0; j < bytes.size(); ++j)
            bytes[j] = static_cast<char>((i * 131 + j * 7) & 0xFF);
        CString name;
        name.Format(L"%s\\f%04d.bin", folder.GetString(), i);
        HANDLE file = ::CreateFileW(name, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        if (file == INVALID_HANDLE_VALUE)
            return false;
        DWORD written = 0;
        const BOOL ok = ::WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
        ::CloseHandle(file);
        if (!ok || written != bytes.size())
            return false;
    }
    return true;
}

std::vector<CString> ListFiles(const CString& folder) {
    std::vector<CString> files;
    ListInto(folder, CString(), files);
    return files;
}

bool AllFilesComplete(const CString& source, const CString& copy) {
    for (const CString& file : ListFiles(copy)) {
        std::string a, b;
        if (!TestFiles::ReadBytes(source + L"\\" + file, a) || !TestFiles::ReadBytes(copy + L"\\" + file, b) || a != b)
            return false;
    }
    return true;
}

}  // namespace TaskWindowDriver
