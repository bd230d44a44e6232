#pragma once
// Small path, volume and file-system helpers shared by the engine and the user interface.
// Strings are taken and returned by value; failures show as 0, an empty string or a zero
// size, with GetLastError left as the failing call set it.
#include <windows.h>

#include <vector>

#include "framework/CString.h"

// "\\?\" + path, unless the path is UNC or already carries the prefix.
CString ToLongPath(CString path);
// GetFullPathNameW with a growing buffer; empty on failure.
CString GetFullPath(CString path);
// GetLongPathNameW with a growing buffer; empty on failure.
CString GetLongPath(CString path);
// Splits into drive ("C:"), folder (up to and including the last separator), name and
// extension (from the last dot of the final component). Each output may be null.
// Returns 1; never aborts on long input.
int SplitPath(CString path, CString* drive, CString* folder, CString* name, CString* extension);
// "C:\" for 'C'.
CString DriveRoot(wchar_t letter);
// Full path of the running program.
CString GetModulePath();
// Name plus extension.
CString GetFileNamePart(CString path);
// Removes one trailing backslash.
CString StripTrailingBackslash(CString path);
// C:\a\b -> C:\a, C:\a -> C:\, C:\ and C: -> empty, \\srv\share\dir -> \\srv\share.
CString GetParentFolder(CString path);

// 1 when the final component names a stream (file.txt:s:$DATA).
int IsStreamPath(CString path);
// The path without its stream part: C:\d\f.txt:s:$DATA -> C:\d\f.txt.
CString StripStreamSuffix(CString path);

// C:\x -> C:\, \\srv\share\a -> \\srv\share\.
CString GetVolumeRoot(CString path);
// Both paths lie under one volume root (GetVolumeRoot, letters compared without regard to
// case): C:\a and \\?\c:\b do, \\srv\share\a and \\srv\other\b do not. Paths only: a
// folder another volume is mounted on counts as its parent's volume.
bool IsOnSameRoot(const CString& a, const CString& b);
// \\server\share and nothing after it: two backslashes, then exactly one more (the rule of
// the shell's PathIsUNCServerShare, without loading its library).
bool IsUncServerShare(const CString& path);
// GetVolumeInformationW on the volume root; returns the call's result.
int GetFileSystemName(CString path, CString& name);
int IsFileSystem(CString path, CString name);
int IsFatVolume(CString path);
int SupportsEncryption(CString path);
int SupportsNamedStreams(CString path);

// GetFileInformationByHandle without the volume serial number (left 0): the file's own
// times, attributes, size, links and index, asked of the file alone, where the system's
// function also asks the volume (a costly question under Wine, for every file). 0 when
// the system's query is missing or fails.
int GetFileInformationOfFile(HANDLE file, BY_HANDLE_FILE_INFORMATION* info);

// Bytes per sector of the volume holding the nearest existing folder of the path; 0 when
// none exists or the volume does not tell (network shares).
DWORD GetSectorSize(CString path);
// Least common multiple of the sector sizes of the destination and every source; 0 (use
// buffered I/O) when one of them is unknown or bufferSize is smaller. A non-zero result
// rounds bufferSize down to a multiple of it.
DWORD GetIoAlignment(CString destination, const std::vector<CString>& sources,
                     unsigned long long& bufferSize);
// Least common multiple of two sector sizes, 0 when either is 0.
DWORD CombineAlignment(DWORD a, DWORD b);

// Creates destination with the attributes, encryption and last-write time of the source
// folder; returns the result of CreateDirectoryW.
int CreateFolderLike(CString source, CString destination);
// The same without the time, which lastWrite receives for later (zero when the source
// could not be read or nothing was created): every entry made in a folder changes its
// last-write time, so a folder that is to hold content gets its time once that is in.
int CreateFolderLike(CString source, CString destination, FILETIME* lastWrite);
// Sets only the last-write time of a folder; 1 on success.
int SetFolderLastWriteTime(CString folder, const FILETIME& lastWrite);

// The recycle-bin folder of a fixed drive (C:\$RECYCLE.BIN), or empty.
CString GetRecycleBinFolder(wchar_t letter);
// 1 when the path lies inside the recycle-bin folder of its drive.
int IsInRecycleBinFolder(CString path);
// 1 when one of the path's ancestors is the shell's recycle bin. Needs COM.
int HasRecycleBinAncestor(CString path);
// 0 when no folder above path can be a recycle bin: the shell gives a folder a class of its
// own only through the desktop.ini of a folder marked read-only or system. Asks no shell.
int MayHaveRecycleBinAncestor(CString path);
// Display name through the desktop folder (SHGDN_* flags); empty on failure. Needs COM.
CString GetShellDisplayName(CString path, DWORD flags);
// Display name through IShellItem (SIGDN_* value); empty when unavailable. Needs COM.
CString GetShellItemDisplayName(CString path, DWORD sigdn);

// Removes characters a file name cannot hold, then trailing spaces and dots; 1 when
// something remains.
int SanitizeFileName(CString& name);
// CompareFileTime after raising both times to the next 2-second boundary (FAT times).
LONG CompareFileTimeRounded(const FILETIME& a, const FILETIME& b);
// Short date and time without seconds in local time; empty on failure.
CString FormatFileTime(const FILETIME& time);
