#pragma once
// Lets GoogleTest show a CString as text (UTF-8) when an expectation about one fails.
#include <ostream>

#include "framework/CString.h"

inline void PrintTo(const CString& text, std::ostream* os) {
    *os << '"' << NarrowString(text, CP_UTF8) << '"';
}
