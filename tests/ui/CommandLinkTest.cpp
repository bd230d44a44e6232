// The command links of the conflict view (template 116): the system's own command link
// where visual styles are on, else drawn by the control itself with its colours and
// arrow; the choice is made again when the theme changes. Screenshots of both forms.
#include <gtest/gtest.h>

#include <windows.h>

#include "tests/support/Screenshot.h"
#include "tests/ui/ControlTestSupport.h"
#include "ui/CommandLinkCtrl.h"
#include "ui/resource.h"

namespace {

const COLORREF kWhite = RGB(255, 255, 255);

// A command link whose theme can be turned off for the test (Wine's stays on, and
// turning it off for the machine would reach every other test running beside this one).
class CThemeSwitchLink : public CCommandLinkCtrl {
public:
    bool themesOff = false;

protected:
    int ComputeOwnerDrawn() override { return themesOff ? 1 : CCommandLinkCtrl::ComputeOwnerDrawn(); }
};

// COLORREF to what a 32-bit canvas holds (the same value: both are 0x00BBGGRR here).
COLORREF Colour(COLORREF value) { return value; }

class CommandLinkTest : public ::testing::Test {
protected:
    void SetUp() override { PrepareWindowTest(); }

    void OpenConflictView() {
        ASSERT_TRUE(m_host.Open(L"競合", 400, 240));
        m_view.onInit = [this](TWhite<CDialog>& view) {
            m_links[0].SubclassDlgItem(IDC_REPLACE_LINK, &view);
            m_links[1].SubclassDlgItem(IDC_SKIP_LINK, &view);
            m_links[2].SubclassDlgItem(IDC_CHOOSE_LINK, &view);
            view.SetDlgItemText(IDC_CONFLICT_FROM_TO, L"<a>ダウンロード</a> から <a>ドキュメント</a> に 3 個の項目をコピー中");
            view.SetDlgItemText(IDC_CONFLICT_HEADING, L"宛先には同じ名前のファイルが 3 個存在します");
        };
        ASSERT_TRUE(m_view.Open(&m_host));
        m_host.ShowWindow(SW_SHOWNOACTIVATE);
    }
    DWORD TypeOf(const CCommandLinkCtrl& link) const { return link.GetStyle() & BS_TYPEMASK; }

    CWhiteHost m_host;
    CWhiteDialog m_view{IDD_OVERWRITE_FILES};
    CThemeSwitchLink m_links[3];
};

// Draws the link in a state onto a canvas of its size.
void Render(CCommandLinkCtrl& link, TestCanvas& canvas, UINT state, bool hover) {
    link.hover = hover ? 1 : 0;
    DRAWITEMSTRUCT dis{ODT_BUTTON, 1, 0, ODA_DRAWENTIRE, state, link, canvas.Dc(),
                       RECT{0, 0, canvas.Width(), canvas.Height()}, 0};
    link.DrawItem(&dis);
    link.hover = 0;
}

}  // namespace

TEST(CommandLinkChoice, OwnerDrawnBeforeVistaOrWhenThemesAreNotBothOn) {
    EXPECT_EQ(1, CCommandLinkCtrl::NeedsOwnerDraw(5, 1, 1));    // Windows XP
    EXPECT_EQ(1, CCommandLinkCtrl::NeedsOwnerDraw(5, -1, -1));
    EXPECT_EQ(0, CCommandLinkCtrl::NeedsOwnerDraw(6, -1, -1));  // no theme functions: the system's
    EXPECT_EQ(0, CCommandLinkCtrl::NeedsOwnerDraw(6, 1, 1));
    EXPECT_EQ(1, CCommandLinkCtrl::NeedsOwnerDraw(6, 1, 0));    // classic theme
    EXPECT_EQ(1, CCommandLinkCtrl::NeedsOwnerDraw(10, 0, 1));
}

TEST_F(CommandLinkTest, ThemedSystemUsesItsOwnCommandLinkAndTheClassicThemeTheDrawnOne) {
    OpenConflictView();
    for (auto& link : m_links) {
        ASSERT_NE(nullptr, link.m_hWnd);
        EXPECT_EQ(0, link.IsOwnerDrawn());  // Wine's theme is on
        EXPECT_EQ(static_cast<DWORD>(BS_COMMANDLINK), TypeOf(link));
    }
    EXPECT_TRUE(SaveWindowScreenshot(m_host, L"command-links-themed"));

    for (auto& link : m_links) {
        link.themesOff = true;
        link.SendMessage(WM_THEMECHANGED);
        EXPECT_EQ(1, link.IsOwnerDrawn());
        EXPECT_EQ(static_cast<DWORD>(BS_OWNERDRAW), TypeOf(link));
    }
    m_links[1].hover = 1;  // as with the mouse over it
    EXPECT_TRUE(SaveWindowScreenshot(m_host, L"command-links-owner-drawn"));
    m_links[1].hover = 0;

    m_links[0].themesOff = false;
    m_links[0].SendMessage(WM_THEMECHANGED);
    EXPECT_EQ(static_cast<DWORD>(BS_COMMANDLINK), TypeOf(m_links[0]));
}

TEST_F(CommandLinkTest, CreatedLinkTakesTheFormTheSystemNeeds) {
    ASSERT_TRUE(m_host.Open(L"作成", 300, 100));
    CThemeSwitchLink made;
    ASSERT_TRUE(made.Create(L"続行", WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON, CRect(10, 10, 290, 50), &m_host, 300));
    EXPECT_EQ(static_cast<DWORD>(BS_COMMANDLINK), TypeOf(made));
}

// The owner-drawn form: white, an arrow at the left, the text after it; a rounded frame
// and other colours under the mouse and while pressed.
TEST_F(CommandLinkTest, DrawnFormHasItsColoursInEveryState) {
    OpenConflictView();
    CThemeSwitchLink& link = m_links[2];
    link.themesOff = true;
    link.SendMessage(WM_THEMECHANGED);
    CRect client;
    link.GetClientRect(&client);
    struct Look {
        UINT state;
        bool hover;
        COLORREF background, frame, arrow;
    } looks[] = {
        {0, false, CCommandLinkCtrl::kBackground, CCommandLinkCtrl::kBackground, CCommandLinkCtrl::kArrow},
        {0, true, CCommandLinkCtrl::kHoverBackground, CCommandLinkCtrl::kHoverFrame, CCommandLinkCtrl::kHoverArrow},
        {ODS_SELECTED, false, CCommandLinkCtrl::kPressedBackground, CCommandLinkCtrl::kPressedFrame,
         CCommandLinkCtrl::kPressedArrow},
    };
    TestCanvas sheet(client.Width() * 2 + 20, client.Height() * 2 * 3 + 40);
    int row = 0;
    for (const Look& look : looks) {
        TestCanvas canvas(client.Width(), client.Height(), RGB(1, 2, 3));
        Render(link, canvas, look.state, look.hover);
        // The arrow's 16 x 16 cell: 4 pixels in from the frame (3 pixels), centred.
        const int cellX = 3 + 4, cellY = 3 + (client.Height() - 6 - 16) / 2;
        EXPECT_EQ(Colour(look.arrow), canvas.Pixel(cellX + 5, cellY + 7));   // shaft
        EXPECT_EQ(Colour(look.arrow), canvas.Pixel(cellX + 12, cellY + 7));  // head
        EXPECT_EQ(Colour(look.background), canvas.Pixel(cellX + 1, cellY + 1));
        EXPECT_EQ(Colour(look.frame), canvas.Pixel(client.Width() / 2, 0));
        // The text lies right of the arrow.
        EXPECT_FALSE(canvas.All(RECT{3 + 24, 3, client.Width() - 3, client.Height() - 3}, Colour(look.background)));
        sheet.Paste(canvas, 10, 10 + row++ * (client.Height() * 2 + 10), 2);
    }
    EXPECT_TRUE(sheet.Save(L"command-link-owner-drawn-states"));
}
