#include "ui/OverwriteFilesView.h"

#include <cstdlib>

#include "foundation/Paths.h"
#include "framework/CDataExchange.h"
#include "ui/ChooseFilesDlg.h"
#include "ui/LinkLine.h"
#include "ui/ProgressRules.h"
#include "ui/TaskFrameWnd.h"
#include "ui/resource.h"

using namespace Swiftlet;

namespace {

int TextWidth(HDC dc, const CString& text) {
    SIZE size{};
    ::GetTextExtentPoint32W(dc, text, text.GetLength(), &size);
    return size.cx;
}

}  // namespace

IMPLEMENT_DYNCREATE(COverwriteFilesView, CTaskFrameFormView)

BEGIN_MESSAGE_MAP(COverwriteFilesView, CTaskFrameFormView)
    ON_BN_CLICKED(IDC_REPLACE_LINK, OnReplace)
    ON_BN_CLICKED(IDC_SKIP_LINK, OnSkip)
    ON_BN_CLICKED(IDC_CHOOSE_LINK, OnChoose)
    ON_COMMAND(IDCANCEL, OnCancelOperation)
END_MESSAGE_MAP()

COverwriteFilesView::COverwriteFilesView() : CTaskFrameFormView(IDD_OVERWRITE_FILES) {}

void COverwriteFilesView::DoDataExchange(CDataExchange* dx) {
    CTaskFrameFormView::DoDataExchange(dx);
    DDX_Control(dx, IDC_CONFLICT_FROM_TO, m_fromTo);
    DDX_Control(dx, IDC_REPLACE_LINK, m_replace);
    DDX_Control(dx, IDC_SKIP_LINK, m_skip);
    DDX_Control(dx, IDC_CHOOSE_LINK, m_choose);
}

CString COverwriteFilesView::GetCaptionText() {
    CString text;
    text.LoadString(IDS_REPLACE_OR_SKIP);
    return text;
}

void COverwriteFilesView::SetQuestion(const CopyExceptionOverwriteFiles& question, unsigned long long itemCount,
                                      bool move) {
    OnInitialUpdate();
    m_sourceFolder = question.sourceFolder;
    m_destinationFolder = question.destinationFolder;
    m_pairs.clear();
    for (const auto& [source, destination] : question.files) {
        CChooseFilesDrawerData pair;
        pair.newFile.path = source;
        pair.existingFile.path = destination;
        m_pairs.push_back(pair);
    }
    m_loaded = 0;

    const bool one = m_pairs.size() == 1;
    CString text;
    text.LoadString(one ? IDS_REPLACE_FILE : IDS_REPLACE_FILES);
    m_replace.SetWindowText(text);
    text.LoadString(one ? IDS_SKIP_FILE : IDS_SKIP_FILES);
    m_skip.SetWindowText(text);
    text.LoadString(one ? IDS_CHOOSE_FILE : IDS_CHOOSE_FILES);
    m_choose.SetWindowText(text);

    CString line;
    line.Format(IDS_COPYING_ITEMS_FROM_TO, L"%s", L"%s", itemCount, ProgressRules::OperationWord(move).GetString());
    LinkLine::Fit(m_fromTo.m_hWnd, line, {m_sourceFolder, m_destinationFolder}, true);
    FillHeading();
}

void COverwriteFilesView::FillHeading() {
    CWnd* heading = GetDlgItem(IDC_CONFLICT_HEADING);
    if (!heading)
        return;
    CString format;
    CString name;
    if (m_pairs.size() == 1) {
        format.LoadString(IDS_FILE_EXISTS_NAMED);
        name = GetFileNamePart(m_pairs[0].existingFile.path);
    } else if (m_pairs.size() > 1) {
        format.Format(IDS_FILES_EXIST_COUNT, static_cast<int>(m_pairs.size()));
    }
    CRect client;
    heading->GetClientRect(&client);
    LOGFONTW font{};
    HFONT dialogFont = reinterpret_cast<HFONT>(heading->SendMessage(WM_GETFONT));
    if (!dialogFont || !::GetObjectW(dialogFont, sizeof(font), &font)) {
        heading->SetWindowText(LinkLine::FillLabels(format, {name}));
        return;
    }
    const LONG smallest = -std::abs(font.lfHeight);
    HDC screen = ::GetDC(nullptr);
    font.lfHeight = ProgressRules::CaptionFontHeight(client.Height(), ::GetSystemMetrics(SM_CYDLGFRAME),
                                                     ::GetDeviceCaps(screen, LOGPIXELSY));
    ::ReleaseDC(nullptr, screen);
    HDC dc = ::GetDC(heading->m_hWnd);
    // The large font as the progress caption has it, made smaller (down to the dialog's
    // own) while the text without the name does not fit beside a shortened name.
    const CString bare = LinkLine::FillLabels(format, {name.IsEmpty() ? CString() : CString(L"W...")});
    for (;;) {
        m_headingFont.DeleteObject();
        if (!m_headingFont.CreateFontIndirect(&font))
            break;
        HGDIOBJ old = ::SelectObject(dc, m_headingFont);
        const int width = TextWidth(dc, bare);
        ::SelectObject(dc, old);
        if (width <= client.Width() || font.lfHeight >= smallest)
            break;
        ++font.lfHeight;  // heights are negative: one pixel smaller
    }
    std::vector<CString> labels{name};
    if (m_headingFont.m_hObject) {
        heading->SendMessage(WM_SETFONT, reinterpret_cast<WPARAM>(static_cast<HFONT>(m_headingFont)), FALSE);
        HGDIOBJ old = ::SelectObject(dc, m_headingFont);
        labels = LinkLine::FitLabels(dc, format, labels, client.Width(), false);
        ::SelectObject(dc, old);
    }
    ::ReleaseDC(heading->m_hWnd, dc);
    heading->SetWindowText(LinkLine::FillLabels(format, labels));
}

void COverwriteFilesView::WriteAnswer(CoreEvent& event) {
    event.answer = m_choice;
    event.applyToAll = 0;
    if (m_choice == kAnswerSelection)
        event.SetSelection(m_selection);
}

void COverwriteFilesView::Answer(int choice) {
    m_choice = choice;
    AnswerQuestion(GetTaskFrame(), this);
}

void COverwriteFilesView::OnReplace() { Answer(kAnswerOverwrite); }

void COverwriteFilesView::OnSkip() { Answer(kAnswerSkip); }

void COverwriteFilesView::OnChoose() {
    if (!m_loaded) {
        // A file that cannot be read keeps zero data: the dialog shows no time and size.
        for (CChooseFilesDrawerData& pair : m_pairs) {
            pair.newFile.Load();
            pair.existingFile.Load();
        }
        m_loaded = 1;
    }
    CChooseFilesDlg dialog(&m_pairs, this);
    dialog.SetFolders(m_sourceFolder, m_destinationFolder);
    if (dialog.DoModal() != IDOK)
        return;  // cancelled: the question stays
    const int answer = AnswerFromDialog(dialog.GetResult(), dialog.GetFileResults());
    if (answer != 0)
        Answer(answer);
}

int COverwriteFilesView::AnswerFromDialog(int result, const std::map<CString, int>& files) {
    switch (result) {
    case CChooseFilesDlg::kResultNew:
        return kAnswerOverwrite;
    case CChooseFilesDlg::kResultExisting:
        return kAnswerSkip;
    case CChooseFilesDlg::kResultBoth:
        return kAnswerKeepBoth;
    case CChooseFilesDlg::kResultMixed:
        m_selection.clear();
        for (const auto& [path, choice] : files) {
            if (path.IsEmpty())
                continue;
            m_selection[path] = choice == CChooseFilesDlg::kResultNew    ? kAnswerOverwrite
                                : choice == CChooseFilesDlg::kResultBoth ? kAnswerKeepBoth
                                                                          : kAnswerSkip;
        }
        return kAnswerSelection;
    default:
        return 0;
    }
}

void COverwriteFilesView::OnCancelOperation() { Answer(kAnswerCancel); }
