#pragma once
// Lines that name folders as links ("<a>ドキュメント</a> から <a>バックアップ</a> へ ..."):
// each folder is shown by its short name, and when the line is wider than its control
// the longest names are cut from the end, character by character, and end in "...".
// The links carry the full folder paths, so that clicking one opens that folder.
//
//   CString format;
//   format.Format(IDS_COPYING_ITEMS_FROM_TO, L"%s", L"%s", count, word.GetString());
//   LinkLine::Fit(fromTo, format, {source, destination}, true);
#include <windows.h>

#include <vector>

#include "framework/CString.h"

namespace LinkLine {

// The label of a folder from its shell display name: the name's last path part; else
// the display name; else the last part of the path; else the path.
CString FolderLabel(const CString& displayName, const CString& path);
// The same with the display name the shell gives for path.
CString FolderLabel(const CString& path);

// text without its "<a>" and "</a>" tags.
CString WithoutLinkTags(const CString& text);
// text with its "%s" marks replaced by the labels in order (a missing label: empty).
CString FillLabels(const CString& text, const std::vector<CString>& labels);

// Shortens labels until the text with them fits `width` pixels in the font selected into
// dc. `text` is the line with "%s" where the labels go; hasLinkTags says it holds link
// tags, which take no room. A shortened label ends in "...". When the rest of the text
// alone already fills the width the labels stay whole.
std::vector<CString> FitLabels(HDC dc, const CString& text, std::vector<CString> labels, int width,
                               bool hasLinkTags);

// Sets the fitted line as the control's text (in the control's font, else its parent's)
// and, for a SysLink (hasLinkTags), gives link i the path of folder i. `text` holds one
// "%s" per folder; with more than two folders it is set as it stands. A path too long
// for a link's address leaves that link without one.
void Fit(HWND control, const CString& text, const std::vector<CString>& folders, bool hasLinkTags);

}  // namespace LinkLine
