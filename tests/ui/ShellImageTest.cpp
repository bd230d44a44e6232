// What the shell gives for a file: its item identifier list (four ways), its thumbnail
// or else its icon, and its context menu with the menu messages passed on by the window
// that shows it. Real files in a fresh folder, the real shell of the machine (Wine's has
// no thumbnail cache and no thumbnail handlers: there the icon is what a file shows).
#include <gtest/gtest.h>

#include <windows.h>
#include <shlobj.h>

#include <string>
#include <utility>

#include "tests/support/TestFiles.h"
#include "tests/ui/ControlTestSupport.h"
#include "ui/FileImageGetter.h"
#include "ui/ItemIDList.h"
#include "ui/ShellContextMenu.h"

using UShell::ItemIDListCreator;

namespace {

class ShellImageTest : public ::testing::Test {
protected:
    void SetUp() override {
        PrepareWindowTest();
        ASSERT_TRUE(TestFiles::WriteBytes(m_text, "hello"));
    }

    // The path a list names, or empty.
    static CString PathOf(LPCITEMIDLIST list) {
        wchar_t path[MAX_PATH] = {};
        return list && ::SHGetPathFromIDListW(list, path) ? CString(path) : CString();
    }
    static SIZE SizeOf(HBITMAP bitmap) {
        BITMAP info{};
        ::GetObjectW(bitmap, sizeof info, &info);
        return SIZE{info.bmWidth, info.bmHeight};
    }

    TestFiles::TempDir m_dir{L"shell"};
    CString m_text = m_dir / L"メモ.txt";
};

// A black 24-bit .bmp file.
bool WriteBitmapFile(const CString& path, int width, int height) {
    BITMAPFILEHEADER file{};
    BITMAPINFOHEADER info{sizeof info, width, height, 1, 24, BI_RGB};
    std::string bytes(sizeof file + sizeof info + static_cast<size_t>(width * 3 * height), '\0');
    file.bfType = 0x4D42;  // "BM"
    file.bfSize = static_cast<DWORD>(bytes.size());
    file.bfOffBits = sizeof file + sizeof info;
    memcpy(&bytes[0], &file, sizeof file);
    memcpy(&bytes[sizeof file], &info, sizeof info);
    return TestFiles::WriteBytes(path, bytes);
}

// The icon's picture at 32 x 32 on white.
void DrawIconOn(TestCanvas& canvas, HICON icon) { ::DrawIconEx(canvas.Dc(), 0, 0, icon, 32, 32, 0, nullptr, DI_NORMAL); }

}  // namespace

TEST_F(ShellImageTest, EveryWayToAnItemListNamesTheFile) {
    ItemIDListCreator creator;
    LPITEMIDLIST lists[] = {creator.FromPath(m_text), creator.FromDesktopFolder(m_text),
                            ItemIDListCreator::FromSimplePath(m_text), ItemIDListCreator::FromShellPath(m_text),
                            creator.Create(m_text)};
    for (LPITEMIDLIST list : lists) {
        ASSERT_NE(nullptr, list);
        EXPECT_EQ(0, PathOf(list).CompareNoCase(m_text)) << PathOf(list).GetString();
        creator.Free(list);
    }
    EXPECT_EQ(nullptr, creator.Create(L""));
}

// The system's own way knows only what exists; the older simple way names a path
// whether or not there is a file, and the chain falls back to it.
TEST_F(ShellImageTest, AFileThatIsNotThereStillGetsAListFromAnOlderWay) {
    ItemIDListCreator creator;
    const CString missing = m_dir / L"ない.txt";
    EXPECT_EQ(nullptr, creator.FromPath(missing));
    UShell::ItemIDList list(creator, missing);
    ASSERT_TRUE(list);
    EXPECT_EQ(0, PathOf(list.Get()).CompareNoCase(missing));
}

TEST(ThumbnailCacheFlags, ScaledToTheRequestedSizeFromWindows7On) {
    using UShell::ThumbnailGetter;
    EXPECT_EQ(0x20u, ThumbnailGetter::ThumbnailCacheFlags(5, 1));
    EXPECT_EQ(0x20u, ThumbnailGetter::ThumbnailCacheFlags(6, 0));  // Vista: not scaled
    EXPECT_EQ(0x60u, ThumbnailGetter::ThumbnailCacheFlags(6, 1));
    EXPECT_EQ(0x60u, ThumbnailGetter::ThumbnailCacheFlags(10, 0));
}

// An image file goes to the shell item's image factory (the thumbnail cache comes
// first where the system has one). A factory that only answers a single empty pixel,
// as Wine's does, gives no thumbnail.
TEST_F(ShellImageTest, AnImageFileAsksTheImageFactory) {
    const CString image = m_dir / L"写真.bmp";
    ASSERT_TRUE(WriteBitmapFile(image, 120, 80));
    UShell::ThumbnailGetter getter;
    ItemIDListCreator creator;
    UShell::ItemIDList list(creator, image);
    ASSERT_TRUE(list);
    HBITMAP fromFactory = getter.FromImageFactory(list.Get(), SIZE{64, 48});
    ASSERT_NE(nullptr, fromFactory);
    const SIZE factorySize = SizeOf(fromFactory);
    ::DeleteObject(fromFactory);

    HBITMAP thumbnail = getter.GetThumbnail(image, SIZE{64, 48});
    if (factorySize.cx * factorySize.cy <= 1) {
        EXPECT_EQ(nullptr, thumbnail);
    } else {
        ASSERT_NE(nullptr, thumbnail);
        EXPECT_LE(SizeOf(thumbnail).cx, 64);
        ::DeleteObject(thumbnail);
    }
}

TEST_F(ShellImageTest, AFileWithoutThumbnailShowsItsIcon) {
    UShell::CFileImageGetter getter;
    UShell::CFileImageGetterData data;
    ASSERT_EQ(1, getter.GetImage(m_text, SIZE{64, 64}, data));
    ASSERT_NE(nullptr, data.GetIcon());
    EXPECT_EQ(nullptr, data.GetBitmap());
    ICONINFO info{};
    ASSERT_TRUE(::GetIconInfo(data.GetIcon(), &info));
    if (info.hbmColor)
        ::DeleteObject(info.hbmColor);
    ::DeleteObject(info.hbmMask);
}

// A program's icon is its own (the test program carries Swiftlet's).
TEST_F(ShellImageTest, AProgramShowsTheIconItCarries) {
    wchar_t self[MAX_PATH];
    ASSERT_GT(::GetModuleFileNameW(nullptr, self, MAX_PATH), 0u);
    HICON icon = UShell::FileIconGetter().GetIcon(self);
    ASSERT_NE(nullptr, icon);
    HICON own = static_cast<HICON>(::LoadImageW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(165), IMAGE_ICON, 32,
                                                32, 0));
    ASSERT_NE(nullptr, own);
    TestCanvas found(32, 32), expected(32, 32);
    DrawIconOn(found, icon);
    DrawIconOn(expected, own);
    EXPECT_TRUE(found.SameAs(expected));
    ::DestroyIcon(icon);
    ::DestroyIcon(own);
}

TEST_F(ShellImageTest, ImageDataDestroysWhatItIsGivenInsteadAndWhenItEnds) {
    HBITMAP first = SolidBitmap(4, 4, RGB(1, 2, 3));
    HICON icon = ::CopyIcon(::LoadIconW(nullptr, IDI_APPLICATION));
    {
        UShell::CFileImageGetterData data;
        data.SetBitmap(first);
        data.SetBitmap(SolidBitmap(4, 4, RGB(4, 5, 6)));
        EXPECT_EQ(0u, ::GetObjectType(first));  // replaced: deleted
        data.SetIcon(icon);
        UShell::CFileImageGetterData moved(std::move(data));
        EXPECT_TRUE(data.IsEmpty());
        EXPECT_EQ(icon, moved.GetIcon());
        EXPECT_NE(nullptr, moved.GetBitmap());
    }
    ICONINFO info{};
    EXPECT_FALSE(::GetIconInfo(icon, &info));  // destroyed with the data
}

TEST_F(ShellImageTest, NothingToShowForAPathThatIsNotThere) {
    UShell::CFileImageGetterData data;
    data.SetBitmap(SolidBitmap(2, 2, RGB(0, 0, 0)));
    EXPECT_EQ(0, UShell::CFileImageGetter().GetImage(m_dir / L"ない.qqq", SIZE{64, 64}, data));
    EXPECT_TRUE(data.IsEmpty());
}

TEST_F(ShellImageTest, ContextMenuOfARealFileHasTheShellsItems) {
    UShell::ContextMenu menu;
    EXPECT_EQ(0, menu.InvokeDefault());  // nothing prepared: nothing to do
    ASSERT_EQ(1, menu.Prepare(m_text));
    HMENU popup = ::CreatePopupMenu();
    ASSERT_TRUE(SUCCEEDED(menu.QueryMenu(popup, CMF_EXPLORE)));
    const int count = ::GetMenuItemCount(popup);
    EXPECT_GT(count, 0);
    for (int i = 0; i < count; ++i) {
        const UINT id = ::GetMenuItemID(popup, i);
        if (id != 0 && id != static_cast<UINT>(-1)) {
            EXPECT_GE(id, UShell::ContextMenu::kFirstCommand);
        }
    }
    // While shown, the shell takes its menu's messages; everything else stays the window's.
    EXPECT_EQ(0, menu.HandleMenuMessage(WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(popup), 0));
    DRAWITEMSTRUCT button{};
    button.CtlType = ODT_BUTTON;
    EXPECT_EQ(-1, menu.HandleMenuMessage(WM_DRAWITEM, 1, reinterpret_cast<LPARAM>(&button)));
    EXPECT_EQ(-1, menu.HandleMenuMessage(WM_MEASUREITEM, 0, 0));
    EXPECT_EQ(-1, menu.HandleMenuMessage(WM_COMMAND, 1, 0));
    ::DestroyMenu(popup);

    menu.Release();
    EXPECT_FALSE(menu.IsPrepared());
    EXPECT_EQ(-1, menu.HandleMenuMessage(WM_INITMENUPOPUP, 0, 0));
}

namespace {

// A window that shows shell menus and counts the WM_INITMENUPOPUP its own map gets.
class CMenuOwner : public UShell::TContextMenuWnd<CWhiteHost> {
public:
    int initMenuPopup = 0;
    int Show(UShell::ContextMenu& menu, POINT at) { return ShowContextMenu(menu, at); }

protected:
    afx_msg LRESULT OnInitMenuPopup(WPARAM, LPARAM) {
        ++initMenuPopup;
        return Default();
    }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CMenuOwner, UShell::TContextMenuWnd<CWhiteHost>)
    ON_MESSAGE(WM_INITMENUPOPUP, OnInitMenuPopup)
END_MESSAGE_MAP()

// Closes the menu being tracked shortly after it opened.
void CloseMenuSoon(HWND owner) {
    ::SetTimer(owner, 77, 300, [](HWND window, UINT, UINT_PTR id, DWORD) {
        ::KillTimer(window, id);
        ::EndMenu();
    });
}

}  // namespace

TEST_F(ShellImageTest, ShownMenuGetsItsMessagesFromTheWindow) {
    CMenuOwner owner;
    ASSERT_TRUE(owner.Open(L"メニュー", 200, 100));
    owner.ShowWindow(SW_SHOW);
    owner.SetForegroundWindow();

    // A plain menu's messages are the window's own.
    HMENU plain = ::CreatePopupMenu();
    ::AppendMenuW(plain, MF_STRING, 1, L"項目");
    CloseMenuSoon(owner);
    ::TrackPopupMenu(plain, TPM_RETURNCMD | TPM_RIGHTBUTTON, 100, 100, 0, owner, nullptr);
    ::DestroyMenu(plain);
    EXPECT_GT(owner.initMenuPopup, 0);

    UShell::ContextMenu menu;
    ASSERT_EQ(1, menu.Prepare(m_text));
    owner.initMenuPopup = 0;
    CloseMenuSoon(owner);
    EXPECT_EQ(0, owner.Show(menu, POINT{100, 100}));  // closed without a choice: nothing carried out
    EXPECT_EQ(0, owner.initMenuPopup);
    owner.DestroyWindow();
}
