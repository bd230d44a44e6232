#pragma once
// Directory search with one entry of read-ahead: FindFile fetches the first entry, each
// FindNextFile makes the fetched entry current and fetches the next, so a result of 0
// still leaves the last entry current.
#include <windows.h>

#include "foundation/noncopyable.h"
#include "framework/CString.h"

class IFindEx {
public:
    virtual ~IFindEx() = default;
    virtual int FindFile(CString pattern) = 0;
    virtual int FindNextFile() = 0;
    virtual void Close() = 0;
    virtual CString GetFileName() const = 0;
    virtual CString GetFilePath() const = 0;
    virtual unsigned long long GetLength() const = 0;
    virtual int IsDots() const = 0;
    virtual int IsReadOnly() const = 0;
    virtual int IsDirectory() const = 0;
    virtual int IsCompressed() const = 0;
    virtual int IsSystem() const = 0;
    virtual int IsHidden() const = 0;
    virtual int IsTemporary() const = 0;
    virtual int IsNormal() const = 0;
    virtual int IsArchived() const = 0;
    virtual int IsReparsePoint() const = 0;
    // The entry's reparse tag; meaningful only for a reparse point (0 where the system
    // does not tell).
    virtual DWORD GetReparseTag() const = 0;
    virtual DWORD GetAttributes() const = 0;
};

class CFindExFindFirstFileImpl : public IFindEx, private noncopyable {
public:
    CFindExFindFirstFileImpl();
    ~CFindExFindFirstFileImpl() override;

    int FindFile(CString pattern) override;
    int FindNextFile() override;
    void Close() override;
    CString GetFileName() const override;
    CString GetFilePath() const override;
    unsigned long long GetLength() const override;
    int IsDots() const override;
    int IsReadOnly() const override { return HasAttribute(FILE_ATTRIBUTE_READONLY); }
    int IsDirectory() const override { return HasAttribute(FILE_ATTRIBUTE_DIRECTORY); }
    int IsCompressed() const override { return HasAttribute(FILE_ATTRIBUTE_COMPRESSED); }
    int IsSystem() const override { return HasAttribute(FILE_ATTRIBUTE_SYSTEM); }
    int IsHidden() const override { return HasAttribute(FILE_ATTRIBUTE_HIDDEN); }
    int IsTemporary() const override { return HasAttribute(FILE_ATTRIBUTE_TEMPORARY); }
    int IsNormal() const override { return HasAttribute(FILE_ATTRIBUTE_NORMAL); }
    int IsArchived() const override { return HasAttribute(FILE_ATTRIBUTE_ARCHIVE); }
    int IsReparsePoint() const override { return HasAttribute(FILE_ATTRIBUTE_REPARSE_POINT); }
    DWORD GetReparseTag() const override;
    DWORD GetAttributes() const override;

private:
    int HasAttribute(DWORD bit) const;
    bool IsOpen() const { return m_handle != INVALID_HANDLE_VALUE; }

    HANDLE m_handle;
    WIN32_FIND_DATAW m_next;   // filled by the latest system call
    WIN32_FIND_DATAW m_found;  // the entry the accessors describe
    CString m_root;            // folder part of the last pattern
    bool m_exhausted;          // the system reported no further entry
};

class CFindEx : public IFindEx, private noncopyable {
public:
    CFindEx();
    ~CFindEx() override;

    int FindFile(CString pattern) override { return m_impl->FindFile(pattern); }
    int FindNextFile() override { return m_impl->FindNextFile(); }
    void Close() override { m_impl->Close(); }
    CString GetFileName() const override { return m_impl->GetFileName(); }
    CString GetFilePath() const override { return m_impl->GetFilePath(); }
    unsigned long long GetLength() const override { return m_impl->GetLength(); }
    int IsDots() const override { return m_impl->IsDots(); }
    int IsReadOnly() const override { return m_impl->IsReadOnly(); }
    int IsDirectory() const override { return m_impl->IsDirectory(); }
    int IsCompressed() const override { return m_impl->IsCompressed(); }
    int IsSystem() const override { return m_impl->IsSystem(); }
    int IsHidden() const override { return m_impl->IsHidden(); }
    int IsTemporary() const override { return m_impl->IsTemporary(); }
    int IsNormal() const override { return m_impl->IsNormal(); }
    int IsArchived() const override { return m_impl->IsArchived(); }
    int IsReparsePoint() const override { return m_impl->IsReparsePoint(); }
    DWORD GetReparseTag() const override { return m_impl->GetReparseTag(); }
    DWORD GetAttributes() const override { return m_impl->GetAttributes(); }

private:
    CFindExFindFirstFileImpl* m_impl;
};
