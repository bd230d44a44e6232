#pragma once
// Runs copy jobs on real files for tests: job records like the ones the command line
// builds, folders on the two drives Wine gives (C: for the prefix, Z: for the Unix
// root), and comparisons of copied trees.
#include <windows.h>

#include <vector>

#include "tests/support/CoreEventScript.h"
#include "engine/CopyOption.h"
#include "framework/CString.h"

namespace TestFiles {

// A fresh folder on Z:, removed with its content afterwards.
class UnixTempDir {
public:
    UnixTempDir();
    ~UnixTempDir();
    UnixTempDir(const UnixTempDir&) = delete;
    UnixTempDir& operator=(const UnixTempDir&) = delete;
    const CString& Path() const { return m_path; }
    CString operator/(const wchar_t* relative) const { return m_path + L"\\" + relative; }

private:
    CString m_path;
};

// The tuning a job gets from the command line, with short retry pauses.
Swiftlet::CopyOption JobOption(const std::vector<CString>& sources, const CString& destination, int move = 0);

// Runs the job on a copy core (path check, events 1000/1001) on this thread; answers
// come from handler. Returns the core's result: 1 when the job ran without error.
int RunJob(const Swiftlet::CopyOption& option, Swiftlet::CoreEventScriptHandler& handler);

// The questions a job asked, in order.
std::vector<Swiftlet::CoreEventRecord> Questions(const Swiftlet::CoreEventScriptHandler& handler);
// The CopyException type of the first error a job reported; 0 when there was none.
int ErrorType(const Swiftlet::CoreEventScriptHandler& handler);

// The same file tree: every file of a exists in b with the same bytes, and b holds
// nothing else.
bool SameTree(const CString& a, const CString& b, CString* difference = nullptr);
bool SameFile(const CString& a, const CString& b);

// Files and folders below a folder, relative paths, sorted; folders end in a backslash,
// links to folders (not followed) in "@".
std::vector<CString> ListTree(const CString& folder);

}  // namespace TestFiles
