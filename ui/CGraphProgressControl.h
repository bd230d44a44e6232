#pragma once
// The speed graph of the detailed progress view: a progress bar and an area chart in
// one. Along the width runs the position (bytes done, scaled to an int); the part up to
// the position is tinted, and over it the speed measured at each position is drawn as a
// filled area with a line and a label at the latest speed. Until the owner knows the
// total it shows a moving band (marquee). Green while running, yellow while paused.
//
// The owner drives it only by messages (GPM_*), so it never touches the graph's data;
// the member functions below are thin wrappers that send them.
//
// The window class (SWIFTLET_GRAPH_CLASS) is a plain one, registered when the first
// graph object is made, so that a dialog template can name it; the object then takes
// the template's control over with SubclassDlgItem.
#include <windows.h>

#include <map>

#include "framework/CDC.h"
#include "framework/CGdiObject.h"
#include "framework/CString.h"
#include "framework/CWnd.h"

// Messages of the graph (the same numbers mean other things to other windows).
enum : UINT {
    GPM_SETRANGE = WM_APP + 1,       // WPARAM min, LPARAM max; returns 0
    GPM_GETRANGE = WM_APP + 2,       // WPARAM int* min, LPARAM int* max; returns 0
    GPM_SETSPEEDRANGE = WM_APP + 3,  // WPARAM min, LPARAM max; returns 0
    GPM_GETSPEEDRANGE = WM_APP + 4,  // WPARAM int* min, LPARAM int* max; returns 0
    GPM_SETPOS = WM_APP + 5,         // WPARAM position, LPARAM const VData* or null; returns the old position
    GPM_GETPOS = WM_APP + 6,         // returns the position
    GPM_SETSTATE = WM_APP + 7,       // WPARAM 1 running or 2 paused; returns the old state
    GPM_GETSTATE = WM_APP + 8,       // returns the state
    GPM_SETMARQUEE = WM_APP + 9,     // WPARAM 1 on, 0 off, LPARAM period in ms; returns 1
};

class CGraphProgressControl : public CWnd {
public:
    enum State { stateRunning = 1, statePaused = 2 };

    // A point as the owner sends it: the speed at a position (in the owner's unit) and
    // the label shown while it is the latest point.
    class VData {
    public:
        VData() = default;
        VData(int speed, const CString& label) : speed(speed), label(label) {}
        virtual ~VData() = default;
        VData(const VData&) = default;
        VData& operator=(const VData&) = default;

        int speed = 0;
        CString label;
    };

    // A stored point: where it sits within the two ranges, in percent (-1: not placed).
    class VDrawData : public VData {
    public:
        VDrawData() = default;
        VDrawData(const VData& data, int xPercent, int yPercent)
            : VData(data), xPercent(xPercent), yPercent(yPercent) {}

        int xPercent = -1;
        int yPercent = -1;
    };

    class MarqueeData {
    public:
        virtual ~MarqueeData() = default;

        int period = 0;       // ms between moves
        int offset = 0;       // how far the band has travelled, in pixels
        UINT_PTR timerId = 0; // 0: marquee off
    };

    // Registers the window class on first use and makes the pens and brushes; throws
    // CResourceException when either fails.
    CGraphProgressControl();
    ~CGraphProgressControl() override;

    // Draws the whole control into dc (client coordinates) through an off-screen bitmap.
    virtual void Draw(CDC* dc);

    // --- wrappers of the messages --------------------------------------------------
    void SetRange(int minimum, int maximum) { SendMessage(GPM_SETRANGE, static_cast<WPARAM>(minimum), maximum); }
    void GetRange(int& minimum, int& maximum) const {
        SendMessage(GPM_GETRANGE, reinterpret_cast<WPARAM>(&minimum), reinterpret_cast<LPARAM>(&maximum));
    }
    void SetSpeedRange(int minimum, int maximum) {
        SendMessage(GPM_SETSPEEDRANGE, static_cast<WPARAM>(minimum), maximum);
    }
    void GetSpeedRange(int& minimum, int& maximum) const {
        SendMessage(GPM_GETSPEEDRANGE, reinterpret_cast<WPARAM>(&minimum), reinterpret_cast<LPARAM>(&maximum));
    }
    int SetPos(int position, const VData* point = nullptr) {
        return static_cast<int>(SendMessage(GPM_SETPOS, static_cast<WPARAM>(position), reinterpret_cast<LPARAM>(point)));
    }
    int GetPos() const { return static_cast<int>(SendMessage(GPM_GETPOS)); }
    int SetState(int state) { return static_cast<int>(SendMessage(GPM_SETSTATE, static_cast<WPARAM>(state))); }
    int GetState() const { return static_cast<int>(SendMessage(GPM_GETSTATE)); }
    void SetMarquee(BOOL on, int period) { SendMessage(GPM_SETMARQUEE, on ? 1 : 0, period); }

protected:
    void PreSubclassWindow() override;

    afx_msg void OnPaint();
    afx_msg BOOL OnEraseBkgnd(CDC* dc);
    afx_msg void OnTimer(UINT_PTR id);
    afx_msg void OnDestroy();
    afx_msg LRESULT OnSetRange(WPARAM wParam, LPARAM lParam);
    afx_msg LRESULT OnGetRange(WPARAM wParam, LPARAM lParam);
    afx_msg LRESULT OnSetSpeedRange(WPARAM wParam, LPARAM lParam);
    afx_msg LRESULT OnGetSpeedRange(WPARAM wParam, LPARAM lParam);
    afx_msg LRESULT OnSetPos(WPARAM wParam, LPARAM lParam);
    afx_msg LRESULT OnGetPos(WPARAM wParam, LPARAM lParam);
    afx_msg LRESULT OnSetState(WPARAM wParam, LPARAM lParam);
    afx_msg LRESULT OnGetState(WPARAM wParam, LPARAM lParam);
    afx_msg LRESULT OnSetMarquee(WPARAM wParam, LPARAM lParam);
    afx_msg LRESULT OnSetFont(WPARAM wParam, LPARAM lParam);
    afx_msg LRESULT OnGetFont(WPARAM wParam, LPARAM lParam);
    afx_msg LRESULT OnPrint(WPARAM wParam, LPARAM lParam);
    DECLARE_MESSAGE_MAP()

private:
    static void RegisterClassOnce();
    void CreateDrawingObjects();

    // Takes a range from a message's parameters; false when it is the one held.
    static bool StoreRange(WPARAM wParam, LPARAM lParam, int& minimum, int& maximum) noexcept;
    // Where a value sits in [minimum, maximum], in percent; -1 for an empty range.
    static int PercentIn(int value, int minimum, int maximum) noexcept;
    // Recomputes the progress percentage; repaints when it changed.
    void UpdatePercentage();

    void DrawBorder(CDC& dc);
    void DrawMarquee(CDC& dc);
    // Which vertical grid lines: every one, those within the part done, those beyond it.
    enum class GridPart { all, inside, outside };
    // The five horizontal lines from `from` to `to` and the vertical lines of `part`.
    void DrawGrid(CDC& dc, int from, int to, GridPart part, CPen& pen);
    void DrawChart(CDC& dc);
    void DrawSpeedArea(CDC& dc, int progressRight);
    void DrawLatestSpeed(CDC& dc);
    void FillQuad(CDC& dc, POINT a, POINT b, POINT c, POINT d, CBrush& brush);
    bool Paused() const noexcept { return m_state == statePaused; }

    HFONT m_hFont = nullptr;
    CFont m_font;              // never created here: the parent's font is used
    CDC m_memDC;               // the off-screen buffer while one paint runs
    CBitmap m_memBitmap;
    HGDIOBJ m_oldBitmap = nullptr;
    CRect m_clientRect;
    CRect m_plotRect;          // the client rectangle less the two-pixel border
    CPen m_pens[5];
    CBrush m_brushes[4];
    int m_percentage = 0;
    std::map<int, VDrawData> m_points;
    int m_position = 0;
    int m_rangeMin = 0;
    int m_rangeMax = 0;
    int m_speedMin = 0;
    int m_speedMax = 0;
    int m_state = stateRunning;
    MarqueeData m_marquee;
};
