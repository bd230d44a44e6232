#pragma once
// A question about one item that failed, in the job's panel: a file that is in use or
// cannot be opened, an item that would lose its encryption, a file and a folder of the
// same name. The view names the problem, shows the item (its shell image, name, type,
// size and dates; free space and capacity for a drive) and offers the main action
// (retry, continue with administrator rights, or continue without encryption), skip
// and cancel, with a check box that keeps the choice for later questions of the kind.
#include "ui/FileImageStatic.h"
#include "ui/TaskFrameFormView.h"

class Exception;

class CErrorFormView2 : public CTaskFrameFormView {
    DECLARE_DYNCREATE(CErrorFormView2)
public:
    // The kinds of main action.
    enum MainAction : int { kRetry = 0, kElevate = 1, kWithoutEncryption = 2 };

    CErrorFormView2();

    int GetActionState() override { return kActionInterrupted; }
    CString GetCaptionText() override { return m_caption; }
    void WriteAnswer(Swiftlet::CoreEvent& event) override;
    void OnInitialUpdate() override;

    // question is the engine's (not owned; it lives until the answer); move is the
    // job's move flag.
    virtual void SetQuestion(const Exception* question, const int* move);

    int GetMainAction() const { return m_mainAction; }

protected:
    DECLARE_MESSAGE_MAP()
    void DoDataExchange(CDataExchange* dx) override;

    afx_msg void OnMainAction();
    afx_msg void OnSkip();
    afx_msg void OnCancelOperation();

private:
    void Answer(int choice);
    // The item's image and information lines; data may be null.
    void ShowItem(const CString& path, const WIN32_FILE_ATTRIBUTE_DATA* data);
    void SetMainButton(UINT textId, int kind);

    CFileImageStatic m_image;
    const Exception* m_question = nullptr;
    int m_move = 0;
    int m_mainAction = kRetry;
    CString m_caption;
    int m_applyToAll = 0;
    int m_choice = 4;
};
