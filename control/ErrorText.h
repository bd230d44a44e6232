#pragma once
// The text the user sees for an exception that ended or interrupted an operation.
#include "foundation/Exception.h"
#include "framework/CString.h"

namespace Swiftlet {

// The operation word: "移動" when move is 1, else "コピー".
CString GetOperationText(int move);

// Text for e (null: no exception object), tried in this order: a copy condition by its
// type (some have no text: they are shown by their own views, or not at all), then the
// system's message for a Windows error, then a general failure of the operation.
CString GetErrorText(const Exception* e, int move);

}  // namespace Swiftlet
