#pragma once
// Text measured the way a terminal shows it: Japanese and other wide characters take two
// columns, so a line that must not wrap is cut by columns, not by characters.
#include "framework/CString.h"

namespace Swiftlet {
namespace ConsoleText {

// Columns a terminal gives one UTF-16 code unit (a surrogate pair counts on its high half).
int CharWidth(wchar_t ch);
int DisplayWidth(const CString& text);
// The end of text that fits into columns, with "..." in front when something was cut.
CString KeepEnd(const CString& text, int columns);
// The start of text that fits into columns.
CString KeepStart(const CString& text, int columns);
// The name shown for a path: its last component, without a stream's ":name:$DATA".
CString ShownName(const CString& path);
// Text loaded from the string table with the "<a>" and "</a>" of its links removed.
CString WithoutLinks(const CString& text);

}  // namespace ConsoleText
}  // namespace Swiftlet
