#pragma once
// Lets GoogleTest show a CString in a failure as its text (UTF-8) instead of its bytes.
#include <ostream>

#include "framework/CString.h"

inline void PrintTo(const CString& text, std::ostream* os) { *os << '"' << NarrowString(text, CP_UTF8) << '"'; }
