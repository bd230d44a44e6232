#pragma once
// Real files and folders for tests: each test gets a fresh folder of its own.
#include <windows.h>

#include <string>

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

// Writes bytes to a file (creating parent folders); true on success.
bool WriteBytes(const CString& path, const std::string& bytes);
// Writes size pseudo-random bytes derived from seed.
bool WritePattern(const CString& path, unsigned long long size, unsigned seed = 1);
// Reads a whole file; false when it cannot be opened.
bool ReadBytes(const CString& path, std::string& bytes);
bool Exists(const CString& path);
bool MakeFolders(const CString& path);
// Deletes a file or a folder tree, clearing read-only attributes first.
void DeleteTree(const CString& path);
// Folder of the running test executable (Swiftlet.exe and the other products lie there).
CString ExeFolder();
// Runs a program and waits for it; returns its exit code, or -1 when it did not start
// or did not end within timeoutMs (it is then terminated).
int RunProcess(const CString& commandLine, DWORD timeoutMs = 60000);

}  // namespace TestFiles
