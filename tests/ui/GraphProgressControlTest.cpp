// The speed graph as the detailed view holds it: the control of template 107 taken
// over by a CGraphProgressControl, driven by its messages, and what it draws read back
// pixel by pixel from WM_PRINT (running and paused colours, the chart, the marquee).
// Screenshots of a graph fed like a real copy: build/screenshots/graph-*.png.
#include <gtest/gtest.h>

#include <windows.h>

#include <climits>
#include <functional>

#include "tests/support/Screenshot.h"
#include "tests/ui/GraphSamples.h"
#include "tests/ui/TemplateWindow.h"
#include "ui/CGraphProgressControl.h"
#include "ui/resource.h"

namespace {

const COLORREF kPen0 = RGB(205, 239, 211), kPen1 = RGB(142, 221, 123), kPen2 = RGB(239, 234, 204),
               kPen3 = RGB(235, 225, 131);
const COLORREF kBrush0 = RGB(167, 229, 145), kBrush1 = RGB(6, 176, 37), kBrush2 = RGB(241, 233, 151),
               kBrush3 = RGB(176, 152, 0);
const COLORREF kWhite = RGB(255, 255, 255), kBlack = RGB(0, 0, 0);

void PumpFor(DWORD ms, const std::function<bool()>& done = [] { return false; }) {
    const ULONGLONG end = GetTickCount64() + ms;
    while (!done() && GetTickCount64() < end) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
    }
}

bool PumpUntil(const std::function<bool()>& done) {
    PumpFor(10000, done);
    return done();
}

// A 32-bit DIB the graph prints itself into, so that colours come back exactly.
class Canvas {
public:
    Canvas(int width, int height) {
        BITMAPINFO info{};
        info.bmiHeader = {sizeof(BITMAPINFOHEADER), width, -height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
        void* bits = nullptr;
        m_dc = CreateCompatibleDC(nullptr);
        m_bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
        m_old = SelectObject(m_dc, m_bitmap);
    }
    ~Canvas() {
        SelectObject(m_dc, m_old);
        DeleteObject(m_bitmap);
        DeleteDC(m_dc);
    }
    Canvas(const Canvas&) = delete;
    Canvas& operator=(const Canvas&) = delete;

    void Print(HWND window) { SendMessageW(window, WM_PRINT, reinterpret_cast<WPARAM>(m_dc), PRF_CLIENT); }
    COLORREF At(int x, int y) const { return GetPixel(m_dc, x, y); }
    // Saves what was printed as build/screenshots/<name>.png.
    bool Save(const wchar_t* name) {
        SelectObject(m_dc, m_old);
        const bool saved = SaveBitmapScreenshot(m_bitmap, name);
        m_old = SelectObject(m_dc, m_bitmap);
        return saved;
    }

private:
    HDC m_dc = nullptr;
    HBITMAP m_bitmap = nullptr;
    HGDIOBJ m_old = nullptr;
};

// Counts the marquee timer's ticks and those after which the graph is to be repainted.
// (Paints themselves are not counted: windows of other tests passing over this one
// cause paints too.)
class CountingGraph : public CGraphProgressControl {
public:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
        if (message != WM_TIMER)
            return CGraphProgressControl::WindowProc(message, wParam, lParam);
        ::ValidateRect(m_hWnd, nullptr);
        const LRESULT result = CGraphProgressControl::WindowProc(message, wParam, lParam);
        ++ticks;
        if (::GetUpdateRect(m_hWnd, nullptr, FALSE)) ++repaintingTicks;
        return result;
    }
    int ticks = 0;
    int repaintingTicks = 0;
};

// The detailed view's template with its graph control taken over. The graph is sized
// so that its plot is 200 x 80 pixels at (2, 2): 2 pixels per percent across, 0.8 up.
class GraphTest : public ::testing::Test {
protected:
    static constexpr int L = 2, T = 2, R = 202, B = 82;

    void SetUp() override {
        ASSERT_NE(nullptr, view.Dialog());
        ASSERT_TRUE(graph.SubclassWindow(view.Item(IDC_GRAPH)));
        Resize(R + 2, B + 2);
    }
    void TearDown() override {
        if (graph.m_hWnd) graph.DestroyWindow();
    }
    void Resize(int width, int height) {
        const RECT r = view.ItemRect(graph.m_hWnd);
        MoveWindow(graph.m_hWnd, r.left, r.top, width, height, TRUE);
    }
    // Prints the graph and reads it back.
    Canvas& Printed() {
        canvas.Print(graph.m_hWnd);
        return canvas;
    }
    void Add(int position, int speed, const wchar_t* label = L"") {
        const CGraphProgressControl::VData point(speed, label);
        graph.SetPos(position, &point);
    }
    // Dark pixels (text) in a band of rows right of the middle, the line itself left out.
    int TextPixels(int top, int bottom) {
        int n = 0;
        for (int y = top; y < bottom; ++y)
            for (int x = (L + R) / 2; x < R; ++x)
                if (GetRValue(canvas.At(x, y)) < 100 && GetGValue(canvas.At(x, y)) < 100) ++n;
        return n;
    }

    // Away from where the other window tests put theirs, so that none passes over it.
    TemplateWindow view{IDD_PROGRESS_DETAILED, POINT{720, 560}};
    CountingGraph graph;
    Canvas canvas{R + 2, B + 2};
};

}  // namespace

TEST(GraphRegistration, ClassIsRegisteredOnceAndTheTemplateControlBecomesALiveGraph) {
    CGraphProgressControl first;
    WNDCLASSW wc{};
    ASSERT_TRUE(GetClassInfoW(GetModuleHandleW(nullptr), L"" SWIFTLET_GRAPH_CLASS, &wc));
    EXPECT_EQ(static_cast<UINT>(CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS), wc.style);
    EXPECT_EQ(GetStockObject(WHITE_BRUSH), wc.hbrBackground);
    EXPECT_EQ(LoadCursorW(nullptr, IDC_ARROW), wc.hCursor);
    EXPECT_EQ(nullptr, wc.hIcon);
    EXPECT_EQ(nullptr, wc.lpszMenuName);
    // A second graph finds the class and does not register it again (that would fail).
    EXPECT_NO_THROW(CGraphProgressControl second);

    TemplateWindow view(IDD_PROGRESS_DETAILED, POINT{720, 560});
    ASSERT_NE(nullptr, view.Dialog());
    HWND control = view.Item(IDC_GRAPH);
    ASSERT_NE(nullptr, control);
    // Before it is taken over the control is a plain window that answers nothing.
    EXPECT_EQ(0, SendMessageW(control, GPM_GETSTATE, 0, 0));
    CWnd parent;
    ASSERT_TRUE(parent.Attach(view.Dialog()));
    ASSERT_TRUE(first.SubclassDlgItem(IDC_GRAPH, &parent));
    EXPECT_EQ(CGraphProgressControl::stateRunning, SendMessageW(control, GPM_GETSTATE, 0, 0));
    // It writes with its dialog's font.
    EXPECT_EQ(SendMessageW(view.Dialog(), WM_GETFONT, 0, 0), SendMessageW(control, WM_GETFONT, 0, 0));
    first.DestroyWindow();
    parent.Detach();
}

TEST_F(GraphTest, MessagesSetAndAnswerRangesPositionStateAndFont) {
    int minimum = -1, maximum = -1;
    graph.GetRange(minimum, maximum);
    EXPECT_EQ(0, minimum);
    EXPECT_EQ(0, maximum);
    graph.SetRange(0, INT_MAX);
    graph.GetRange(minimum, maximum);
    EXPECT_EQ(0, minimum);
    EXPECT_EQ(INT_MAX, maximum);
    graph.SetSpeedRange(10, 5000);
    graph.GetSpeedRange(minimum, maximum);
    EXPECT_EQ(10, minimum);
    EXPECT_EQ(5000, maximum);
    // Null out-parameters are skipped.
    EXPECT_EQ(0, SendMessageW(graph.m_hWnd, GPM_GETRANGE, 0, 0));
    EXPECT_EQ(0, SendMessageW(graph.m_hWnd, GPM_GETSPEEDRANGE, 0, 0));

    EXPECT_EQ(0, graph.SetPos(100));
    EXPECT_EQ(100, graph.SetPos(250));
    EXPECT_EQ(250, graph.SetPos(250));
    EXPECT_EQ(250, graph.GetPos());

    EXPECT_EQ(1, graph.SetState(CGraphProgressControl::statePaused));
    EXPECT_EQ(2, graph.GetState());
    EXPECT_EQ(2, graph.SetState(7));  // not a state: ignored
    EXPECT_EQ(2, graph.SetState(CGraphProgressControl::stateRunning));
    EXPECT_EQ(1, graph.GetState());

    EXPECT_EQ(1, SendMessageW(graph.m_hWnd, GPM_SETMARQUEE, 1, 100));
    EXPECT_EQ(1, SendMessageW(graph.m_hWnd, GPM_SETMARQUEE, 0, 100));

    HFONT font = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
    EXPECT_EQ(0, SendMessageW(graph.m_hWnd, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE));
    EXPECT_EQ(reinterpret_cast<LRESULT>(font), SendMessageW(graph.m_hWnd, WM_GETFONT, 0, 0));
}

// Repaints come from the percentage, the state and the marquee; other data waits for
// the next one.
TEST_F(GraphTest, RepaintsWhenThePercentageOrTheStateChanges) {
    view.Show();
    graph.SetRange(0, 1000);
    PumpFor(50);
    auto invalid = [&] {
        RECT r{};
        return GetUpdateRect(graph.m_hWnd, &r, FALSE) != FALSE;
    };
    ValidateRect(graph.m_hWnd, nullptr);
    graph.SetPos(5);  // still 0 %
    graph.SetSpeedRange(0, 100);
    EXPECT_FALSE(invalid());
    graph.SetPos(10);  // 1 %
    EXPECT_TRUE(invalid());
    ValidateRect(graph.m_hWnd, nullptr);
    graph.SetState(CGraphProgressControl::statePaused);
    EXPECT_TRUE(invalid());
    ValidateRect(graph.m_hWnd, nullptr);
    graph.SetState(CGraphProgressControl::statePaused);
    EXPECT_FALSE(invalid());
    // Switching the marquee on again with the same period changes nothing but repaints.
    graph.SetMarquee(TRUE, 100);
    ValidateRect(graph.m_hWnd, nullptr);
    graph.SetMarquee(TRUE, 100);
    EXPECT_TRUE(invalid());
}

// Two points, at 20 % (speed 25 %) and 40 % (speed 75 %), drawn running and paused.
TEST_F(GraphTest, ChartIsGreenRunningAndYellowPausedWithTheLatestSpeedOnlyRunning) {
    graph.SetRange(0, 100);
    graph.SetSpeedRange(0, 100);
    Add(20, 25, L"a");
    Add(40, 75, L"速度： 75B/s");
    struct Scheme {
        int state;
        COLORREF done, area, gridInside, gridOutside;
    };
    for (const Scheme& scheme : {Scheme{CGraphProgressControl::stateRunning, kBrush0, kBrush1, kPen1, kPen0},
                                 Scheme{CGraphProgressControl::statePaused, kBrush2, kBrush3, kPen3, kPen2}}) {
        SCOPED_TRACE(scheme.state);
        graph.SetState(scheme.state);
        Canvas& c = Printed();
        // Border: shadow outside, then the active border and the light edge.
        EXPECT_EQ(GetSysColor(COLOR_BTNSHADOW), c.At(0, 0));
        EXPECT_EQ(GetSysColor(COLOR_BTNSHADOW), c.At(R + 1, B + 1));
        EXPECT_EQ(GetSysColor(COLOR_ACTIVEBORDER), c.At(1, 40));
        EXPECT_EQ(GetSysColor(COLOR_3DLIGHT), c.At(R, 40));
        // 40 % done: the part up to x = 82 is tinted, its grid lines darker.
        EXPECT_EQ(scheme.done, c.At(50, 30));
        EXPECT_EQ(scheme.gridInside, c.At(22, 10));   // vertical line inside
        EXPECT_EQ(scheme.gridInside, c.At(30, 15));   // horizontal line inside
        EXPECT_EQ(kWhite, c.At(150, 35));
        EXPECT_EQ(scheme.gridOutside, c.At(150, 15));  // horizontal line outside
        EXPECT_EQ(scheme.gridOutside, c.At(102, 35));  // vertical line outside
        // The speed area: flat at 25 % from the left edge to the first point at x = 42,
        // then rising to 75 % at x = 82.
        EXPECT_EQ(scheme.area, c.At(3, 70));
        EXPECT_EQ(scheme.area, c.At(40, 70));
        EXPECT_EQ(scheme.done, c.At(40, 50));
        EXPECT_EQ(scheme.area, c.At(78, 30));
        EXPECT_EQ(scheme.done, c.At(50, 40));
    }
    // Paused, the latest speed is not shown; running, a black line across at 75 %
    // (y = 22) with the label below it.
    EXPECT_EQ(kWhite, canvas.At(150, 22));
    EXPECT_EQ(0, TextPixels(3, B));
    graph.SetState(CGraphProgressControl::stateRunning);
    Canvas& c = Printed();
    EXPECT_EQ(kBlack, c.At(150, 22));
    EXPECT_EQ(kBlack, c.At(L, 22));
    EXPECT_GT(TextPixels(24, 40), 0);
    EXPECT_EQ(0, TextPixels(3, 21));
}

// A range that does not start at 0: the part done ends where the position stands in
// it, as the points do (150 of 100..200 is half way: x = 102).
TEST_F(GraphTest, PartDoneIsMeasuredFromTheRangesMinimum) {
    graph.SetRange(100, 200);
    graph.SetSpeedRange(0, 100);
    Add(150, 50);
    Canvas& c = Printed();
    EXPECT_EQ(kBrush0, c.At(90, 10));
    EXPECT_EQ(kBrush1, c.At(90, 70));
    EXPECT_EQ(kWhite, c.At(115, 10));
    EXPECT_EQ(kWhite, c.At(115, 70));
}

TEST_F(GraphTest, PointsFollowThePositionAndTheRanges) {
    graph.SetRange(0, 100);
    graph.SetSpeedRange(0, 100);
    Add(20, 25, L"a");
    Add(40, 75, L"b");
    // Back to 30: the point at 40 goes; the area runs on from the point at 20 to the
    // part done (x = 62) at its height, and the line drops to it (y = 62).
    EXPECT_EQ(40, graph.SetPos(30));
    Canvas& c = Printed();
    EXPECT_EQ(kBrush1, c.At(55, 70));
    EXPECT_EQ(kBrush0, c.At(55, 50));
    EXPECT_EQ(kWhite, c.At(70, 70));
    EXPECT_EQ(kBlack, c.At(150, 62));
    EXPECT_EQ(kWhite, c.At(150, 22));
    // Label above the line in the lower half.
    EXPECT_GT(TextPixels(40, 61), 0);
    EXPECT_EQ(0, TextPixels(64, B));

    // A second point at 20 replaces the first (40 % high: y = 50).
    Add(20, 40, L"c");
    Printed();
    EXPECT_EQ(kBrush1, c.At(20, 55));
    EXPECT_EQ(kBlack, c.At(150, 50));
    // Too fast for the speed range: not kept, but the position moves on (25 %, x = 52).
    Add(25, 150, L"d");
    EXPECT_EQ(25, graph.GetPos());
    Printed();
    EXPECT_EQ(kBlack, c.At(150, 50));
    EXPECT_EQ(kBrush1, c.At(50, 55));
    EXPECT_EQ(kWhite, c.At(54, 60));
    // A wider speed range places the kept point again: 40 of 200 is 20 % (y = 66).
    graph.SetSpeedRange(0, 200);
    Printed();
    EXPECT_EQ(kBlack, c.At(150, 66));
    EXPECT_EQ(kBrush0, c.At(20, 60));
    // A wider range does the same across: 20 of 50 is 40 % (x = 82), 25 is 50 %.
    graph.SetRange(0, 50);
    Printed();
    EXPECT_EQ(kBrush1, c.At(80, 70));
    EXPECT_EQ(kBrush0, c.At(100, 40));
    EXPECT_EQ(kWhite, c.At(104, 40));
}

TEST_F(GraphTest, MarqueeBandMovesWithEachPaintAndItsTimerAndStopsWhenPaused) {
    graph.SetMarquee(TRUE, 20);
    // Where the band is brightest on a row above the horizontal grid lines; the
    // vertical ones (every 20 pixels) have the band's colour and are left out.
    auto peak = [&] {
        Canvas& c = Printed();
        int best = -1, red = 255;
        for (int x = L; x < R; ++x) {
            if (x > L && (x - L) % 20 == 0) continue;
            if (GetRValue(c.At(x, 8)) < red) {
                red = GetRValue(c.At(x, 8));
                best = x;
            }
        }
        return best;
    };
    // The plot is 200 wide: the band is 2 x 20 pixels and moves 10 per paint. It enters
    // at the left edge brightest there, and once whole its brightest column moves on.
    EXPECT_EQ(L, peak());
    EXPECT_EQ(L, peak());
    EXPECT_EQ(L + 10, peak());
    peak();  // on a grid line
    EXPECT_EQ(L + 30, peak());
    EXPECT_EQ(kPen0, Printed().At(L + 100, 60));  // the grid, all of it light
    EXPECT_EQ(kPen0, canvas.At(150, T + 13));

    view.Show();
    EXPECT_TRUE(PumpUntil([&] { return graph.repaintingTicks >= 3; })) << "the timer moves the band";
    EXPECT_EQ(graph.ticks, graph.repaintingTicks);

    graph.SetState(CGraphProgressControl::statePaused);
    graph.ticks = graph.repaintingTicks = 0;
    ASSERT_TRUE(PumpUntil([&] { return graph.ticks >= 3; }));
    EXPECT_EQ(0, graph.repaintingTicks) << "paused, the band stands still";
    EXPECT_EQ(-1, peak()) << "no band while paused";
    EXPECT_EQ(kPen2, Printed().At(L + 100, 60));

    // Off: no more ticks, and the chart again, empty.
    graph.SetState(CGraphProgressControl::stateRunning);
    graph.SetMarquee(FALSE, 20);
    graph.ticks = 0;
    PumpFor(200);
    EXPECT_EQ(0, graph.ticks);
    Canvas& c = Printed();
    EXPECT_EQ(kWhite, c.At(10, 8));
    EXPECT_EQ(kPen0, c.At(L + 100, 60));
}

// Screenshots of a graph fed as during a copy: running, paused, and the marquee that
// shows before the total is known. Printed rather than taken from the screen, so that
// windows of other tests running at the same time cannot get in the way.
TEST_F(GraphTest, Screenshots) {
    const RECT size = view.Pixels(7, 37, 217, 49);  // as the template has it
    const int width = size.right - size.left, height = size.bottom - size.top;
    Resize(width, height);
    FeedSampleCopy(graph, 62);
    Canvas shot(width, height);
    shot.Print(graph.m_hWnd);
    EXPECT_TRUE(shot.Save(L"graph-running"));
    graph.SetState(CGraphProgressControl::statePaused);
    shot.Print(graph.m_hWnd);
    EXPECT_TRUE(shot.Save(L"graph-paused"));
    graph.SetState(CGraphProgressControl::stateRunning);
    graph.SetMarquee(TRUE, 100);
    for (int i = 0; i < 7; ++i) shot.Print(graph.m_hWnd);  // the band some way in
    EXPECT_TRUE(shot.Save(L"graph-marquee"));
}
