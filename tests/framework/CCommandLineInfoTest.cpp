#include <gtest/gtest.h>

#include <vector>

#include "framework/CCommandLineInfo.h"
#include "framework/CWinApp.h"

namespace {

struct Call {
    CString param;
    BOOL flag;
    BOOL last;
};

class CRecordingInfo : public CCommandLineInfo {
public:
    void ParseParam(const wchar_t* param, BOOL flag, BOOL last) override {
        calls.push_back({CString(param), flag, last});
    }
    std::vector<Call> calls;
};

}  // namespace

TEST(CCommandLineInfoTest, SwitchCharacterIsStrippedAndLastArgumentMarked) {
    const wchar_t* argv[] = {L"prog.exe", L"/M", L"-fcp", L"C:\\a b", L"/", L"", nullptr, L"dest"};
    CRecordingInfo info;
    AfxParseCommandLine(info, 8, argv);
    ASSERT_EQ(7u, info.calls.size());
    EXPECT_EQ(CString(L"M"), info.calls[0].param);
    EXPECT_TRUE(info.calls[0].flag);
    EXPECT_EQ(CString(L"fcp"), info.calls[1].param);
    EXPECT_TRUE(info.calls[1].flag);
    EXPECT_EQ(CString(L"C:\\a b"), info.calls[2].param);
    EXPECT_FALSE(info.calls[2].flag);
    // A lone switch character is a flag with no name.
    EXPECT_TRUE(info.calls[3].param.IsEmpty());
    EXPECT_TRUE(info.calls[3].flag);
    EXPECT_FALSE(info.calls[4].flag);
    EXPECT_TRUE(info.calls[5].param.IsEmpty());  // a missing entry reads as empty
    for (size_t i = 0; i + 1 < info.calls.size(); ++i)
        EXPECT_FALSE(info.calls[i].last) << i;
    EXPECT_TRUE(info.calls[6].last);
    EXPECT_EQ(CString(L"dest"), info.calls[6].param);
}

TEST(CCommandLineInfoTest, OnlyTheProgramNameGivesNoCall) {
    const wchar_t* argv[] = {L"prog.exe"};
    CRecordingInfo info;
    AfxParseCommandLine(info, 1, argv);
    AfxParseCommandLine(info, 0, nullptr);
    AfxParseCommandLine(info, L"prog.exe");
    EXPECT_TRUE(info.calls.empty());
}

TEST(CCommandLineInfoTest, CommandLineStringIsSplitTheSystemWay) {
    CRecordingInfo info;
    AfxParseCommandLine(info, L"\"C:\\Program Files\\x.exe\" \"D:\\my dir\" -m /M e");
    ASSERT_EQ(4u, info.calls.size());
    EXPECT_EQ(CString(L"D:\\my dir"), info.calls[0].param);
    EXPECT_TRUE(info.calls[1].flag);
    EXPECT_EQ(CString(L"M"), info.calls[2].param);
    EXPECT_EQ(CString(L"e"), info.calls[3].param);
    EXPECT_TRUE(info.calls[3].last);
}

TEST(CCommandLineInfoTest, BaseKeepsFirstPlainArgumentAsFileName) {
    const wchar_t* argv[] = {L"prog.exe", L"/x", L"first", L"second"};
    CCommandLineInfo info;
    AfxParseCommandLine(info, 4, argv);
    EXPECT_EQ(CString(L"first"), info.m_strFileName);
    EXPECT_EQ(CCommandLineInfo::FileOpen, info.m_nShellCommand);
}

TEST(CWinAppTest, ApplicationObjectIsTheProcessApplicationWhileItLives) {
    ASSERT_EQ(nullptr, AfxGetApp());
    {
        CWinApp app(L"test");
        EXPECT_EQ(&app, AfxGetApp());
        EXPECT_FALSE(app.m_bAutoDelete);
        CWinApp second;
        EXPECT_EQ(&app, AfxGetApp());  // the first one stays the application
    }
    EXPECT_EQ(nullptr, AfxGetApp());
    EXPECT_EQ(-1, AfxWinMain(nullptr, nullptr, nullptr, SW_SHOW));
}

namespace {

class CCountingApp : public CWinApp {
public:
    BOOL InitInstance() override {
        sawThread = AfxGetThread() == this;
        return initResult;
    }
    int ExitInstance() override { return 7 + static_cast<int>(m_msgCur.wParam); }
    BOOL initResult = FALSE;
    bool sawThread = false;
};

}  // namespace

TEST(CWinAppTest, FailedInitInstanceEndsWithoutMessageLoop) {
    CCountingApp app;
    EXPECT_EQ(7, AfxWinMain(GetModuleHandleW(nullptr), nullptr, const_cast<LPWSTR>(L""), SW_HIDE));
    EXPECT_TRUE(app.sawThread);
    EXPECT_EQ(SW_HIDE, app.m_nCmdShow);
    EXPECT_EQ(nullptr, AfxGetThread());
}

TEST(CWinAppTest, SuccessfulInitInstanceRunsTheLoopUntilQuit) {
    CCountingApp app;
    app.initResult = TRUE;
    PostQuitMessage(5);
    EXPECT_EQ(12, AfxWinMain(GetModuleHandleW(nullptr), nullptr, const_cast<LPWSTR>(L""), SW_SHOW));
}

namespace {

// Does all its work in InitInstance, pumping its own messages, as a program that runs a
// modal dialog there does.
class CWorkInInitApp : public CWinApp {
public:
    BOOL InitInstance() override {
        ::PostThreadMessageW(::GetCurrentThreadId(), WM_APP, 1, 0);
        PumpMessage();
        return FALSE;
    }
};

}  // namespace

TEST(CWinAppTest, ExitCodeIsZeroWithoutQuitMessage) {
    CWorkInInitApp app;
    EXPECT_EQ(0, AfxWinMain(GetModuleHandleW(nullptr), nullptr, const_cast<LPWSTR>(L""), SW_SHOW))
        << "the last message's wParam is no exit code";
}
