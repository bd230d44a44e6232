#pragma once
// Real files and folders for tests: each test gets a fresh folder of its own (on C:,
// the prefix's drive, or on Z:, the Unix root), and copied trees are compared.
#include <windows.h>

#include <string>
#include <vector>

#include "framework/CString.h"

namespace TestFiles {

// A new empty folder under the system's temporary folder, deleted with everything in it
// when the object goes away.
class TempDir {
public:
    explicit TempDir(const wchar_t* tag = L"t");
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const CString& Path() const { return m_path; }
    // Path() + "\\" + relative.
    CString operator/(const wchar_t* relative) const;

private:
    CString m_path;
};

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

// Writes bytes to a file (creating parent folders); true on success.
bool WriteBytes(const CString& path, const std::string& bytes);
// Writes size pseudo-random bytes derived from seed.
bool WritePattern(const CString& path, unsigned long long size, unsigned seed = 1);
// Reads a whole file; false when it cannot be opened.
bool ReadBytes(const CString& path, std::string& bytes);
bool Exists(const CString& path);
bool MakeFolders(const CString& path);
// Deletes a file or a folder tree, clearing read-only attributes first. A link to a folder
// is removed as a link, never followed.
void DeleteTree(const CString& path);
// Links as the tests' machine has them. Under Wine: Unix symbolic links, made with the
// system's ln (Wine cannot make them) and removed with rm, since Wine carries out a
// deletion through a link on what the link leads to. On Windows: symbolic links.
class LinkMaker {
public:
    LinkMaker() = default;
    ~LinkMaker();  // removes (as links) the ones still there
    LinkMaker(const LinkMaker&) = delete;
    LinkMaker& operator=(const LinkMaker&) = delete;

    // A link at link (Windows path) leading to target, which the link stores as it is
    // given: relative to the link's folder (L"..\\outside") or a full Windows path.
    bool Make(const CString& link, const CString& target, bool folder);

private:
    std::vector<CString> m_made;
};

// Removes a link itself; true when it is gone.
bool RemoveLink(const CString& link);

// Folder of the running test executable (Swiftlet.exe and the other products lie there).
CString ExeFolder();
// Runs a program and waits for it; returns its exit code, or -1 when it did not start
// or did not end within timeoutMs (it is then terminated).
int RunProcess(const CString& commandLine, DWORD timeoutMs = 60000);

// The same file tree: every file of a exists in b with the same bytes, and b holds
// nothing else.
bool SameTree(const CString& a, const CString& b, CString* difference = nullptr);
bool SameFile(const CString& a, const CString& b);

// Files and folders below a folder, relative paths, sorted; folders end in a backslash,
// links to folders (not followed) in "@".
std::vector<CString> ListTree(const CString& folder);

}  // namespace TestFiles
