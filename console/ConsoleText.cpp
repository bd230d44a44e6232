#include "console/ConsoleText.h"

namespace Swiftlet {
namespace ConsoleText {

namespace {

bool IsHighSurrogate(wchar_t ch) { return ch >= 0xD800 && ch <= 0xDBFF; }
bool IsLowSurrogate(wchar_t ch) { return ch >= 0xDC00 && ch <= 0xDFFF; }

}  // namespace

int CharWidth(wchar_t ch) {
    if (ch < 0x20)
        return 0;
    if (IsLowSurrogate(ch))
        return 0;  // the low half of a pair; the high half counted both columns
    if ((ch >= 0x1100 && ch <= 0x115F) || (ch >= 0x2E80 && ch <= 0xA4CF && ch != 0x303F) ||
        (ch >= 0xAC00 && ch <= 0xD7A3) || IsHighSurrogate(ch) || (ch >= 0xF900 && ch <= 0xFAFF) ||
        (ch >= 0xFE30 && ch <= 0xFE4F) || (ch >= 0xFF00 && ch <= 0xFF60) || (ch >= 0xFFE0 && ch <= 0xFFE6))
        return 2;
    return 1;
}

int DisplayWidth(const CString& text) {
    int width = 0;
    for (int i = 0; i < text.GetLength(); ++i)
        width += CharWidth(text[i]);
    return width;
}

CString KeepEnd(const CString& text, int columns) {
    if (DisplayWidth(text) <= columns)
        return text;
    static const wchar_t kCut[] = L"...";
    const int room = columns - 3;
    if (room <= 0)
        return CString(kCut).Left(columns > 0 ? columns : 0);
    int start = text.GetLength();
    int width = 0;
    while (start > 0) {
        // A surrogate pair is kept or cut whole; its high half carries its width.
        const int step = start > 1 && IsLowSurrogate(text[start - 1]) && IsHighSurrogate(text[start - 2]) ? 2 : 1;
        const int w = CharWidth(text[start - step]);
        if (width + w > room)
            break;
        width += w;
        start -= step;
    }
    return kCut + text.Mid(start);
}

CString KeepStart(const CString& text, int columns) {
    int width = 0;
    int end = 0;
    while (end < text.GetLength()) {
        const bool pair = IsHighSurrogate(text[end]) && end + 1 < text.GetLength();
        const int w = CharWidth(text[end]);
        if (width + w > columns)
            break;
        width += w;
        end += pair ? 2 : 1;
    }
    return text.Left(end);
}

CString ShownName(const CString& path) {
    const int slash = path.ReverseFind(L'\\');
    CString name = slash >= 0 ? path.Mid(slash + 1) : path;
    const int colon = name.Find(L':');
    return colon >= 0 ? name.Left(colon) : name;
}

CString WithoutLinks(const CString& text) {
    CString plain = text;
    plain.Replace(L"<a>", L"");
    plain.Replace(L"</a>", L"");
    return plain;
}

}  // namespace ConsoleText
}  // namespace Swiftlet
