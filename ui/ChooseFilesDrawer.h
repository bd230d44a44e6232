#pragma once
// One row of the choose-files list: the file being copied on the left, the file already
// at the destination on the right, each with its check box, its 64 x 64 image, its
// modification time and its size. The row draws itself into the list's window and
// reports check and focus changes through the list's event generator.
#include <windows.h>

#include <deque>

#include "foundation/Observer.h"
#include "framework/CGdiObject.h"
#include "framework/CString.h"
#include "ui/DrawCheckBox.h"
#include "ui/Drawer.h"
#include "ui/FileImageGetter.h"

namespace Data {

// An int of flag bits.
template <typename T>
class FlagValue {
public:
    virtual ~FlagValue() = default;
    bool Has(T bits) const { return (value & bits) != 0; }
    void Set(T bits) { value |= bits; }
    void Clear(T bits) { value &= ~bits; }
    T value{};
};

}  // namespace Data

// A file as the list shows it: its path and what the file system says of it (zero when
// it could not be read).
class CChooseFilesDrawerFileData {
public:
    virtual ~CChooseFilesDrawerFileData() = default;
    unsigned long long Size() const {
        return (static_cast<unsigned long long>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
    }
    // Reads the attributes of path; false (data left as it was) when they cannot be read.
    bool Load();

    CString path;
    WIN32_FILE_ATTRIBUTE_DATA data{};
};

// One conflict: the file being copied and the one already at the destination.
class CChooseFilesDrawerData {
public:
    virtual ~CChooseFilesDrawerData() = default;

    // Same last-write time, to the 2 seconds the FAT file systems keep (both times raised
    // to the next multiple of 2 s), and the same size: copying it would change nothing.
    bool HasSameDateAndSize() const;
    // A file time raised to the next multiple of 2 seconds (one on a multiple stays).
    static ULONGLONG RoundUpToTwoSeconds(const FILETIME& time);

    CChooseFilesDrawerFileData newFile;
    CChooseFilesDrawerFileData existingFile;
};

// Marks a side of a row.
class CChooseFilesDrawerFileStatus {
public:
    virtual ~CChooseFilesDrawerFileStatus() = default;
};

// One side of a row.
class CChooseFilesDrawerFileItem {
public:
    // State flags.
    static constexpr int kFocused = 0x01;
    static constexpr int kUnchecked = 0x10;
    static constexpr int kChecked = 0x20;
    static constexpr int kHot = 0x40;            // the mouse is over the check box
    static constexpr int kPressed = 0x80;        // the check box is held down
    static constexpr int kDownOnCheck = 0x100;   // the left button went down on the check box
    static constexpr int kDownOnBody = 0x200;    // ... on the body
    static constexpr int kRightDownOnBody = 0x400;
    // What a press leaves behind, cleared when the press ends or the row goes away.
    static constexpr int kPressFlags = kPressed | kDownOnCheck | kDownOnBody | kRightDownOnBody;

    virtual ~CChooseFilesDrawerFileItem() = default;
    bool IsChecked() const { return (flags & kChecked) != 0; }
    bool Has(int bits) const { return (flags & bits) != 0; }

    CChooseFilesDrawerFileData file;
    UShell::CFileImageGetterData image;
    CChooseFilesDrawerFileStatus status;
    CRect checkRect{-1, -1, -1, -1};  // where the check box was last drawn, list coordinates
    CRect bodyRect{-1, -1, -1, -1};   // the image and the text
    int flags = 0;
};

class CChooseFilesDrawerItem {
public:
    static constexpr int kVisible = 0x1;

    virtual ~CChooseFilesDrawerItem() = default;
    // side 1 left (new file), 2 right (existing file); null for another number.
    CChooseFilesDrawerFileItem* Side(int side) { return side == 1 ? &left : side == 2 ? &right : nullptr; }
    bool IsVisible() const { return flags.Has(kVisible); }

    CChooseFilesDrawerFileItem left;
    CChooseFilesDrawerFileItem right;
    Data::FlagValue<int> flags;
};

class CChooseFilesDrawerBoldInfoBase {
public:
    virtual ~CChooseFilesDrawerBoldInfoBase() = default;
    bool time = false;
    bool size = false;
};

// Which values stand out: the newer time and the larger size of the two files.
class CChooseFilesDrawerBoldInfo {
public:
    explicit CChooseFilesDrawerBoldInfo(const CChooseFilesDrawerItem& row);
    virtual ~CChooseFilesDrawerBoldInfo() = default;
    CChooseFilesDrawerBoldInfoBase left;
    CChooseFilesDrawerBoldInfoBase right;
};

// The sides whose image is loaded, oldest first. Past the limit the oldest images are
// released; they are loaded again when their side is drawn again.
class CChooseFilesImageCache {
public:
    static constexpr size_t kLimit = 20;

    void Add(CChooseFilesDrawerFileItem* side) { m_sides.push_back(side); }
    void Trim(size_t limit = kLimit);
    // Forgets a side without touching it (its row is going away).
    void Forget(const CChooseFilesDrawerFileItem* side);
    size_t Size() const { return m_sides.size(); }

private:
    std::deque<CChooseFilesDrawerFileItem*> m_sides;
};

class CChooseFilesDrawer;

// Tells the list what happened in a row: a check changed (10 left, 11 right) or the
// focus moved to a side of it (20).
class CChooseFilesDrawerEventGenerator : public DesignPatterns::Observable {
public:
    static constexpr int kLeftCheckChanged = 10;
    static constexpr int kRightCheckChanged = 11;
    static constexpr int kFocusChanged = 20;

    // Notifies the observers with the event while enabled; their exceptions are
    // swallowed (a drawing row must not fail for them).
    void Fire(int code, CChooseFilesDrawer* drawer);

    int code = 0;
    CChooseFilesDrawer* drawer = nullptr;
    int enabled = 1;
};

// The list's side of the events.
class CChooseFilesDrawerEventHandler : public DesignPatterns::IObserver {
public:
    void Update(DesignPatterns::IObservable* observable) override;

protected:
    virtual void OnCheckChanged(CChooseFilesDrawer* drawer, int code) = 0;
    virtual void OnFocusChanged(CChooseFilesDrawer* drawer) = 0;

    int m_lastCode = 0;
    CChooseFilesDrawer* m_lastDrawer = nullptr;
};

class CChooseFilesDrawer : public Graphic::Draw::CWndDrawer {
public:
    static constexpr int kHeight = 100;
    static constexpr int kImageSize = 64;

    ~CChooseFilesDrawer() override;

    void Draw(CDC* dc, const CRect& clip) override;
    // 0 for a null font, else it becomes the normal font: 1.
    virtual int SetFont(HFONT font);
    // Takes the window (0 when it is not one) and the rectangle, makes the row, keeps the
    // shared objects and prepares the check-box drawer for the window (its answer).
    virtual int Create(HWND window, const CRect& rect, Graphic::Draw::CDrawCheckBox* checkBox,
                       UShell::CFileImageGetter* images, CChooseFilesImageCache* cache);

    void SetBoldFont(HFONT font) { m_boldFont = font; }
    void SetEventGenerator(CChooseFilesDrawerEventGenerator* events) { m_events = events; }
    void SetImageGetter(UShell::CFileImageGetter* images) { m_images = images; }
    // Fills the row from a pair: both sides unchecked (with their events), visible.
    void Fill(const CChooseFilesDrawerData& pair);

    CChooseFilesDrawerItem* GetItem() { return m_item; }
    const CChooseFilesDrawerItem* GetItem() const { return m_item; }

    // Sets a side's check (side 1 or 2); fires its event when it changed.
    void SetCheck(int side, bool checked);
    void ToggleCheck(int side) { SetCheck(side, !m_item->Side(side)->IsChecked()); }
    // Moves the focus to side (1 or 2), 0 takes it away; fires event 20 when a side gained it.
    void SetFocusSide(int side);
    // The focused side, 0 when none.
    int FocusedSide() const;
    // The side whose check box (or body) holds point (list coordinates); 0 when none.
    int HitCheck(POINT point) const;
    int HitBody(POINT point) const;
    // Loads a side's image when it has none.
    void LoadImage(CChooseFilesDrawerFileItem& side);
    // Moves the row; the sides' check-box and body rectangles move with it, so that the
    // mouse finds them before the row is drawn again.
    void MoveTo(const CRect& rect);

private:
    void DrawSide(CDC* dc, CChooseFilesDrawerFileItem& side, CPoint origin, const CChooseFilesDrawerBoldInfoBase& bold);
    void DrawCheck(CDC* dc, const CChooseFilesDrawerFileItem& side, CPoint position);
    int CheckState(const CChooseFilesDrawerFileItem& side) const;
    CSize CheckBoxSize(CDC* dc) const;

    HFONT m_font = nullptr;
    HFONT m_boldFont = nullptr;
    CChooseFilesDrawerItem* m_item = nullptr;
    Graphic::Draw::CDrawCheckBox* m_checkBox = nullptr;
    UShell::CFileImageGetter* m_images = nullptr;
    CChooseFilesDrawerEventGenerator* m_events = nullptr;
    CChooseFilesImageCache* m_cache = nullptr;
};
