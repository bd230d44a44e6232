#include "ui/LinkLine.h"

#include <commctrl.h>
#include <shellapi.h>

#include "foundation/ComApartment.h"
#include "foundation/DynamicFunction.h"

namespace LinkLine {

namespace {

const wchar_t kEllipsis[] = L"...";

// What follows the last backslash. (Not PathFindFileName: a display name such as
// "ローカル ディスク (C:)" holds a colon that is not a separator.)
CString LastPart(const CString& path) { return path.Mid(path.ReverseFind(L'\\') + 1); }

int TextWidth(HDC dc, const CString& text) {
    SIZE size{};
    ::GetTextExtentPoint32W(dc, text, text.GetLength(), &size);
    return size.cx;
}

// Drops the last character, both halves of a surrogate pair together.
void DropLast(CString& label) {
    int length = label.GetLength() - 1;
    if (length > 0 && IS_LOW_SURROGATE(label[length]) && IS_HIGH_SURROGATE(label[length - 1]))
        --length;
    label.Truncate(length);
}

}  // namespace

CString FolderLabel(const CString& displayName, const CString& path) {
    CString label = LastPart(displayName);
    if (label.IsEmpty()) label = displayName;
    if (label.IsEmpty()) label = LastPart(path);
    if (label.IsEmpty()) label = path;
    return label;
}

CString FolderLabel(const CString& path) {
    Com::EnsureThreadApartment();
    static const UShell::SHGetFileInfoW getFileInfo;
    CString displayName;
    SHFILEINFOW info{};
    if (getFileInfo.IsAvailable() &&
        getFileInfo(path.GetString(), 0, &info, static_cast<UINT>(sizeof info), SHGFI_DISPLAYNAME)) {
        info.szDisplayName[MAX_PATH - 1] = L'\0';
        displayName = info.szDisplayName;
    }
    return FolderLabel(displayName, path);
}

CString WithoutLinkTags(const CString& text) {
    CString result = text;
    result.Replace(L"<a>", L"");
    result.Replace(L"</a>", L"");
    return result;
}

CString FillLabels(const CString& text, const std::vector<CString>& labels) {
    // Replaced in place rather than formatted: a label is shown as it is, "%" and all.
    CString result;
    size_t next = 0;
    int from = 0;
    for (int mark = text.Find(L"%s"); mark >= 0; mark = text.Find(L"%s", from)) {
        result += text.Mid(from, mark - from);
        if (next < labels.size()) result += labels[next];
        ++next;
        from = mark + 2;
    }
    result += text.Mid(from);
    return result;
}

std::vector<CString> FitLabels(HDC dc, const CString& text, std::vector<CString> labels, int width,
                               bool hasLinkTags) {
    const CString bare = FillLabels(hasLinkTags ? WithoutLinkTags(text) : text, {});
    const int available = width - TextWidth(dc, bare);
    if (available <= 0)
        return labels;  // nothing would fit anyway: the names stay readable whole
    std::vector<bool> shortened(labels.size(), false);
    auto shown = [&](size_t i) { return shortened[i] ? labels[i] + kEllipsis : labels[i]; };
    auto labelsWidth = [&]() {
        int sum = 0;
        for (size_t i = 0; i < labels.size(); ++i) sum += TextWidth(dc, shown(i));
        return sum;
    };
    while (available < labelsWidth()) {
        size_t longest = 0;
        for (size_t i = 1; i < labels.size(); ++i)
            if (labels[i].GetLength() > labels[longest].GetLength()) longest = i;
        if (labels.empty() || labels[longest].GetLength() < 2)
            break;
        shortened[longest] = true;
        DropLast(labels[longest]);
    }
    for (size_t i = 0; i < labels.size(); ++i) labels[i] = shown(i);
    return labels;
}

void Fit(HWND control, const CString& text, const std::vector<CString>& folders, bool hasLinkTags) {
    if (folders.empty() || folders.size() > 2) {
        ::SetWindowTextW(control, text);
        return;
    }
    std::vector<CString> labels;
    for (const CString& folder : folders) labels.push_back(FolderLabel(folder));

    HFONT font = reinterpret_cast<HFONT>(::SendMessageW(control, WM_GETFONT, 0, 0));
    if (!font)
        font = reinterpret_cast<HFONT>(::SendMessageW(::GetParent(control), WM_GETFONT, 0, 0));
    RECT client{};
    ::GetClientRect(control, &client);
    if (HDC dc = ::GetDC(control)) {
        HGDIOBJ old = font ? ::SelectObject(dc, font) : nullptr;
        labels = FitLabels(dc, text, labels, client.right - client.left, hasLinkTags);
        if (old) ::SelectObject(dc, old);
        ::ReleaseDC(control, dc);
    }
    ::SetWindowTextW(control, FillLabels(text, labels));
    if (!hasLinkTags)
        return;
    for (size_t i = 0; i < folders.size(); ++i) {
        // The address field holds L_MAX_URL_LENGTH characters with its terminator.
        if (folders[i].GetLength() >= static_cast<int>(L_MAX_URL_LENGTH))
            continue;
        LITEM item{};
        item.mask = LIF_ITEMINDEX | LIF_URL;
        item.iLink = static_cast<int>(i);
        lstrcpynW(item.szUrl, folders[i], L_MAX_URL_LENGTH);
        ::SendMessageW(control, LM_SETITEM, 0, reinterpret_cast<LPARAM>(&item));
    }
}

}  // namespace LinkLine
