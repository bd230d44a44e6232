#pragma once
// Files of the job already exist at the destination: the panel asks once for all of
// them whether to replace them, skip them or choose per file. The view names the two
// folders, says how many files clash (or which one, when only one does) and offers the
// three choices as command links.
#include <vector>

#include "control/CoreEvent.h"
#include "framework/CGdiObject.h"
#include "ui/ChooseFilesDrawer.h"
#include "ui/CommandLinkCtrl.h"
#include "ui/ShellOpenLinkCtrl.h"
#include "ui/TaskFrameFormView.h"

class COverwriteFilesView : public CTaskFrameFormView {
    DECLARE_DYNCREATE(COverwriteFilesView)
public:
    COverwriteFilesView();

    int GetActionState() override { return kActionInterrupted; }
    CString GetCaptionText() override;
    void WriteAnswer(Swiftlet::CoreEvent& event) override;

    // Fills the view from the question; itemCount and move describe the job for the
    // from/to line.
    virtual void SetQuestion(const Swiftlet::CopyExceptionOverwriteFiles& question, unsigned long long itemCount,
                             bool move);

    int GetChoice() const { return m_choice; }
    const std::vector<CChooseFilesDrawerData>& GetPairs() const { return m_pairs; }

protected:
    DECLARE_MESSAGE_MAP()
    void DoDataExchange(CDataExchange* dx) override;

    afx_msg void OnReplace();
    afx_msg void OnSkip();
    afx_msg void OnChoose();
    afx_msg void OnCancelOperation();

private:
    void Answer(int choice);
    // Turns the choose-files dialog's result into an answer; 0 when it gives none.
    int AnswerFromDialog(int result, const std::map<CString, int>& files);
    void FillHeading();

    CShellOpenLinkCtrl m_fromTo;
    CCommandLinkCtrl m_replace;
    CCommandLinkCtrl m_skip;
    CCommandLinkCtrl m_choose;
    CFont m_headingFont;
    CString m_sourceFolder;
    CString m_destinationFolder;
    // The clashes: the file being copied and the file already at the destination; their
    // attributes are read when the user first chooses per file.
    std::vector<CChooseFilesDrawerData> m_pairs;
    int m_loaded = 0;
    Swiftlet::SelectionMap m_selection;  // new file's path -> answer, handed over with answer 8
    int m_choice = 0;
};
