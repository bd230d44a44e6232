#pragma once
// Deciding file by file which version of each conflicting file to keep: the files being
// copied on the left, the files already at the destination on the right. The user ticks
// what to keep (left: replace, right: skip, both: keep both under a numbered name); the
// column boxes tick a whole side, and a third box hides the pairs whose date and size
// are the same (they are skipped). Continue reduces the choices to one result.
#include <map>
#include <vector>

#include "framework/CDialog.h"
#include "ui/ChooseFilesDrawer.h"
#include "ui/ShellOpenLinkCtrl.h"

class CChooseFilesListView;

class CChooseFilesDlg : public CDialog {
public:
    // Results after IDOK, and the values of the per-file map.
    static constexpr int kResultNew = 1;       // every file replaces the existing one
    static constexpr int kResultExisting = 2;  // every file is skipped
    static constexpr int kResultBoth = 3;      // both versions of every file
    static constexpr int kResultMixed = 4;     // see GetFileResults
    // Commands of the accelerators.
    static constexpr UINT kToggleNewColumn = 2000;       // Ctrl+F
    static constexpr UINT kToggleExistingColumn = 2001;  // Ctrl+A

    // Ordered by plain code-unit comparison.
    using FileResults = std::map<CString, int>;

    explicit CChooseFilesDlg(std::vector<CChooseFilesDrawerData>* pairs, CWnd* parent = nullptr);
    ~CChooseFilesDlg() override;

    void SetFolders(const CString& source, const CString& destination) {
        m_sourceFolder = source;
        m_destinationFolder = destination;
    }
    // 0 until Continue.
    int GetResult() const { return m_result; }
    // With result 4: the full path of each new file → 1, 2 or 3; else empty.
    const FileResults& GetFileResults() const { return m_fileResults; }
    CChooseFilesListView* GetList() const { return m_list; }

    // One result for the choices of the rows in order: the first row's, or 4 as soon as
    // a row differs; 2 without rows.
    static int Reduce(const std::vector<int>& choices);

    BOOL OnInitDialog() override;
    BOOL PreTranslateMessage(MSG* msg) override;
    // The dialog has no OK button: Enter (which asks for IDOK) decides nothing.
    void OnOK() override {}

protected:
    DECLARE_MESSAGE_MAP()
    void DoDataExchange(CDataExchange* dx) override;

    afx_msg void OnNewColumn();
    afx_msg void OnExistingColumn();
    afx_msg void OnToggleNewColumn();
    afx_msg void OnToggleExistingColumn();
    afx_msg void OnSkipSame();
    afx_msg void OnContinue();
    afx_msg void OnListChanged(NMHDR* header, LRESULT* result);
    afx_msg BOOL OnEraseBkgnd(CDC* dc);
    afx_msg HBRUSH OnCtlColor(CDC* dc, CWnd* wnd, UINT ctlColor);

private:
    bool CreateList();
    void FillTexts();
    // A column box was clicked (or toggled from the keyboard): side 1 or 2.
    void ColumnClicked(int side);
    void ToggleColumn(UINT id, UINT command);
    void ShowColumnState(CShellOpenLinkCtrlCheckBox& box, int checked, int visible, int side);

    CShellOpenLinkCtrlCheckBox m_newColumn;
    CShellOpenLinkCtrlCheckBox m_existingColumn;
    CChooseFilesListView* m_list = nullptr;
    CString m_sourceFolder;
    CString m_destinationFolder;
    std::vector<CChooseFilesDrawerData>* m_pairs;
    int m_result = 0;
    FileResults m_fileResults;
    int m_skipSame = 0;
    HACCEL m_accelerators = nullptr;
    // What each column box showed last (BST_...): a click decides from it.
    int m_columnShown[2] = {BST_UNCHECKED, BST_UNCHECKED};
};
