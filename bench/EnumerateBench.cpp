// Enumeration speed: items per second that FindCopyItem puts into the copy item tree,
// against a plain FindFirstFileW walk of the same folders that only lists the paths
// (the system calls every enumerator has to make). Runs alternate; medians are printed.
//
//   EnumerateBench.exe FOLDER... [/runs N]
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cwchar>
#include <string>
#include <vector>

#include "control/CoreEvent.h"
#include "engine/CopyItemFind.h"
#include "engine/CopyStatusFind.h"
#include "foundation/Paths.h"

using namespace Swiftlet;

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

// The peer: an explicit stack of folders, every entry's full path kept in a list.
size_t PlainWalk(const std::wstring& top) {
    std::vector<std::wstring> paths{top};
    std::vector<std::wstring> folders{top};
    while (!folders.empty()) {
        const std::wstring folder = folders.back();
        folders.pop_back();
        WIN32_FIND_DATAW data;
        HANDLE find = FindFirstFileW(ToLongPath(CString(folder + L"\\*")), &data);
        if (find == INVALID_HANDLE_VALUE) continue;
        do {
            if (!wcscmp(data.cFileName, L".") || !wcscmp(data.cFileName, L"..")) continue;
            paths.push_back(folder + L"\\" + data.cFileName);
            if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) folders.push_back(paths.back());
        } while (FindNextFileW(find, &data));
        FindClose(find);
    }
    return paths.size();
}

size_t TreeWalk(const std::wstring& top, int move) {
    CopyItemsData items;
    items.AddRoot(FindCopyItem::SourceBaseFolder(CString(top)));
    FindCopyItem find;
    find.Run(CString(top), 0, move, items);
    return static_cast<size_t>(items.itemCount);
}

// The whole find step of a job: enumeration with the pause and cancel checks after every
// item and the destination names.
size_t FindStep(const std::wstring& top) {
    static HANDLE cancel = CreateEventW(nullptr, FALSE, FALSE, nullptr);
    static HANDLE run = CreateEventW(nullptr, FALSE, TRUE, nullptr);
    CoreEvent event;
    CopyStatus status;
    CopyStatusFindOperator find(&status, &event, cancel, run);
    find.Find({CString(top)}, CString(top) + L"-copy", 0);
    return static_cast<size_t>(status.items.itemCount);
}

struct Tool {
    const char* name;
    size_t (*run)(const std::wstring&);
    std::vector<double> seconds;
    size_t items = 0;
};

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    std::vector<std::wstring> folders;
    int runs = 3;
    for (int i = 1; i < argc; ++i) {
        if (!_wcsicmp(argv[i], L"/runs") && i + 1 < argc) runs = std::max(1, _wtoi(argv[++i]));
        else folders.push_back(StripTrailingBackslash(GetFullPath(argv[i])).str());
    }
    if (folders.empty()) {
        fwprintf(stderr, L"usage: EnumerateBench FOLDER... [/runs N]\n");
        return 2;
    }

    printf("| tree | tool | items | median s | items/s | ratio to plain walk |\n");
    printf("|---|---|---:|---:|---:|---:|\n");
    for (const std::wstring& folder : folders) {
        std::vector<Tool> tools = {
            {"plain FindFirstFileW walk", PlainWalk, {}, 0},
            {"FindCopyItem copy", [](const std::wstring& f) { return TreeWalk(f, 0); }, {}, 0},
            {"FindCopyItem move", [](const std::wstring& f) { return TreeWalk(f, 1); }, {}, 0},
            {"find step (copy)", FindStep, {}, 0},
        };
        // One untimed pass warms the caches all tools share.
        PlainWalk(folder);
        for (int r = 0; r < runs; ++r) {
            for (Tool& tool : tools) {
                const double start = Now();
                tool.items = tool.run(folder);
                tool.seconds.push_back(Now() - start);
            }
        }
        const double peer = Median(tools[0].seconds);
        const std::string name = NarrowString(GetFileNamePart(CString(folder)), CP_UTF8);
        for (const Tool& tool : tools) {
            const double s = Median(tool.seconds);
            printf("| %s | %s | %zu | %.3f | %.0f | %.2f |\n", name.c_str(), tool.name, tool.items, s,
                   s > 0 ? tool.items / s : 0.0, peer > 0 ? s / peer : 0.0);
        }
    }
    return 0;
}
