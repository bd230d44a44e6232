#pragma once
// One file of the job already exists at the destination: the panel shows the existing
// file above the new one (name, folder, size, time) and asks whether to overwrite it,
// skip it or cancel the job; the check box keeps the choice for later clashes.
#include "ui/TaskFrameFormView.h"

namespace Swiftlet {
class CopyExceptionOverwrite;
}

class COverwriteFileView : public CTaskFrameFormView {
    DECLARE_DYNCREATE(COverwriteFileView)
public:
    COverwriteFileView();

    int GetActionState() override { return kActionInterrupted; }
    void WriteAnswer(Swiftlet::CoreEvent& event) override;
    void OnInitialUpdate() override;

    virtual void SetQuestion(const Swiftlet::CopyExceptionOverwrite& question);

    // The choice made: 0 overwrite, 1 skip, 2 cancel.
    int GetChoice() const { return m_choice; }

    // A file time as the view shows it: local short date and time without seconds;
    // empty when it cannot be converted.
    static CString TimeText(const FILETIME& time);

protected:
    DECLARE_MESSAGE_MAP()
    void DoDataExchange(CDataExchange* dx) override;

    afx_msg void OnYes();
    afx_msg void OnSkip();
    afx_msg void OnCancelOperation();

private:
    void Answer(int choice);
    void ShowFile(const CString& path, const FILETIME& time, unsigned long long size, int nameId, int folderId,
                  int sizeId, int timeId);

    CString m_existingPath;
    FILETIME m_existingTime{};
    unsigned long long m_existingSize = 0;
    CString m_newPath;
    FILETIME m_newTime{};
    unsigned long long m_newSize = 0;
    int m_choice = 2;
    int m_applyToAll = 0;
};
