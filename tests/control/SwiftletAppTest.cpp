// Start-up: the command line, the mode dispatch, and the real program started as a
// process with good and bad command lines.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "control/SwiftletApp.h"
#include "ipc/MultiUICommand.h"
#include "ipc/PipeNames.h"
#include "tests/support/CopyJob.h"
#include "tests/support/PipeTestSupport.h"
#include "tests/support/PlayedUiInstance.h"
#include "tests/support/TestFiles.h"

using Swiftlet::ISwiftletCore;

namespace {

CSwiftletCommandLineInfo Parse(std::vector<const wchar_t*> args) {
    args.insert(args.begin(), L"Swiftlet.exe");
    CSwiftletCommandLineInfo info;
    AfxParseCommandLine(info, static_cast<int>(args.size()), args.data());
    return info;
}

class FakeCore : public ISwiftletCore {
public:
    int Execute(const std::vector<CString>& s, const CString& d, int* f) override {
        ++calls;
        sources = s;
        destination = d;
        flag = f;
        return 1;
    }
    int calls = 0;
    std::vector<CString> sources;
    CString destination;
    int* flag = nullptr;
};

// Installs a fake as the process's core for one test.
class SwiftletAppDispatch : public ::testing::Test {
protected:
    void SetUp() override { Swiftlet::SetSwiftletCore(&core); }
    void TearDown() override { Swiftlet::SetSwiftletCore(nullptr); }

    FakeCore core;
    CSwiftletApp app;
};

CString SwiftletExe() { return L"\"" + TestFiles::ExeFolder() + L"\\Swiftlet.exe\""; }

}  // namespace

TEST(CSwiftletCommandLineInfo, SourcesThenDestinationWithCaseInsensitiveFlags) {
    CSwiftletCommandLineInfo copy = Parse({L"a", L"b", L"c"});
    EXPECT_EQ(kRunModeNormal, copy.m_nRunMode);
    ASSERT_EQ(2u, copy.m_sources.size());
    EXPECT_EQ(CString(L"a"), copy.m_sources[0]);
    EXPECT_EQ(CString(L"b"), copy.m_sources[1]);
    EXPECT_EQ(CString(L"c"), copy.m_strDestination);
    EXPECT_EQ(0, copy.m_bMove);

    for (const wchar_t* flag : {L"/M", L"-m", L"/m", L"-M"}) {
        CSwiftletCommandLineInfo move = Parse({flag, L"a", L"c"});
        EXPECT_EQ(1, move.m_bMove) << flag;
        ASSERT_EQ(1u, move.m_sources.size());
        EXPECT_EQ(CString(L"c"), move.m_strDestination);
    }
    // Unknown flags are ignored wherever they stand; m may follow the sources.
    CSwiftletCommandLineInfo mixed = Parse({L"/q", L"a", L"-m", L"/move", L"c"});
    EXPECT_EQ(1, mixed.m_bMove);
    EXPECT_EQ(1u, mixed.m_sources.size());
    EXPECT_EQ(kRunModeNormal, mixed.m_nRunMode);
}

TEST(CSwiftletCommandLineInfo, IncompleteCommandLinesLeaveNoJob) {
    CSwiftletCommandLineInfo none = Parse({});
    EXPECT_TRUE(none.m_sources.empty());
    EXPECT_TRUE(none.m_strDestination.IsEmpty());

    CSwiftletCommandLineInfo onlyOne = Parse({L"a"});
    EXPECT_TRUE(onlyOne.m_sources.empty());
    EXPECT_EQ(CString(L"a"), onlyOne.m_strDestination);

    CSwiftletCommandLineInfo flagLast = Parse({L"a", L"b", L"/m"});
    EXPECT_EQ(2u, flagLast.m_sources.size());
    EXPECT_TRUE(flagLast.m_strDestination.IsEmpty());
}

TEST(CSwiftletCommandLineInfo, PipeNameFollowsPOrFcp) {
    CSwiftletCommandLineInfo shell = Parse({L"/FCP", L"\\\\.\\pipe\\x-1-2"});
    EXPECT_EQ(kRunModeShellHandOver, shell.m_nRunMode);
    EXPECT_EQ(CString(L"\\\\.\\pipe\\x-1-2"), shell.m_strPipeName);
    EXPECT_EQ(0, shell.m_bExpectPipeName);
    EXPECT_TRUE(shell.m_strDestination.IsEmpty());  // the last argument was the pipe name

    CSwiftletCommandLineInfo elevated = Parse({L"-P", L"name", L"a", L"b"});
    EXPECT_EQ(kRunModeElevated, elevated.m_nRunMode);
    EXPECT_EQ(CString(L"name"), elevated.m_strPipeName);

    CSwiftletCommandLineInfo lastFlag = Parse({L"/p"});
    EXPECT_EQ(kRunModeElevated, lastFlag.m_nRunMode);
    EXPECT_TRUE(lastFlag.m_strPipeName.IsEmpty());
    EXPECT_EQ(1, lastFlag.m_bExpectPipeName);
}

TEST(CSwiftletCommandLineInfo, VeryLongArgumentIsKeptWhole) {
    const std::wstring longPath = L"C:\\" + std::wstring(40000, L'x');
    CSwiftletCommandLineInfo info = Parse({L"C:\\a", longPath.c_str()});
    EXPECT_EQ(40003, info.m_strDestination.GetLength());
}

TEST(IsLocalPipeNameTest, OnlyNamesInThePipeNamespace) {
    EXPECT_TRUE(IsLocalPipeName(L"\\\\.\\pipe\\{22CD6092-7AE3-4A28-B91E-ADCA3D5A1E6A}-10-20"));
    EXPECT_TRUE(IsLocalPipeName(L"\\\\.\\PIPE\\x"));
    EXPECT_FALSE(IsLocalPipeName(L""));
    EXPECT_FALSE(IsLocalPipeName(L"\\\\.\\pipe\\"));
    EXPECT_FALSE(IsLocalPipeName(L"C:\\file.txt"));
    EXPECT_FALSE(IsLocalPipeName(L"\\\\.\\pipe\\..\\C:\\file.txt"));
    EXPECT_FALSE(IsLocalPipeName(L"\\\\.\\pipe\\..\\..\\Z:/tmp/file"));
    EXPECT_FALSE(IsLocalPipeName(L"\\\\.\\pipe\\.."));
    EXPECT_FALSE(IsLocalPipeName(L"\\\\server\\pipe\\x"));
    EXPECT_FALSE(IsLocalPipeName(L"\\\\.\\C:"));
}

TEST_F(SwiftletAppDispatch, NormalModeRunsTheJobOnlyWithSourcesAndDestination) {
    CSwiftletCommandLineInfo info = Parse({L"/m", L"C:\\a", L"C:\\b", L"D:\\"});
    app.Dispatch(info);
    ASSERT_EQ(1, core.calls);
    EXPECT_EQ(2u, core.sources.size());
    EXPECT_EQ(CString(L"D:\\"), core.destination);
    EXPECT_EQ(&info.m_bMove, core.flag);
    EXPECT_EQ(1, *core.flag);

    const std::vector<std::vector<const wchar_t*>> incompleteLines = {{}, {L"a"}, {L"a", L"b", L"-m"}, {L"/m"}};
    for (const auto& args : incompleteLines) {
        CSwiftletCommandLineInfo incomplete = Parse(args);
        app.Dispatch(incomplete);
    }
    EXPECT_EQ(1, core.calls);
}

TEST_F(SwiftletAppDispatch, PipeModesNeverOpenWhatIsNotAPipe) {
    TestFiles::TempDir dir(L"app");
    const CString file = dir / L"victim.txt";
    ASSERT_TRUE(TestFiles::WriteBytes(file, "keep me"));
    for (const wchar_t* flag : {L"/fcp", L"/p"}) {
        CSwiftletCommandLineInfo info = Parse({flag, file, L"a", L"b"});
        app.Dispatch(info);
        CSwiftletCommandLineInfo empty = Parse({flag});
        app.Dispatch(empty);
        CSwiftletCommandLineInfo absent = Parse({flag, L"\\\\.\\pipe\\swiftlet-test-absent-pipe"});
        app.Dispatch(absent);
    }
    std::string bytes;
    ASSERT_TRUE(TestFiles::ReadBytes(file, bytes));
    EXPECT_EQ("keep me", bytes);
    EXPECT_EQ(0, core.calls);
}

TEST(SwiftletProgram, BadCommandLinesEndQuietly) {
    // Should one of them reach a job after all, it must not go to another test's instance.
    PipeTest::FixedPipeLock lock(PipeTest::FixedPipeLock::kHandOver);
    ASSERT_TRUE(lock.Held());
    TestFiles::TempDir dir(L"prog");
    const CString file = dir / L"victim.txt";
    ASSERT_TRUE(TestFiles::WriteBytes(file, "keep me"));
    const CString exe = SwiftletExe();
    // None of these reaches a job: no sources, no destination, or a pipe mode.
    const std::vector<CString> commandLines = {
        exe,
        exe + L" C:\\only-one",
        exe + L" C:\\a C:\\b /m",
        exe + L" /p",
        exe + L" -FCP",
        exe + L" /fcp \"\"",
        exe + L" /fcp \"" + file + L"\"",
        exe + L" /p \\\\.\\pipe\\..\\..\\" + file,
        exe + L" /fcp \\\\.\\pipe\\swiftlet-test-absent-pipe",
    };
    for (const CString& line : commandLines)
        EXPECT_EQ(0, TestFiles::RunProcess(line, 60000)) << NarrowString(line, CP_UTF8);
    std::string bytes;
    ASSERT_TRUE(TestFiles::ReadBytes(file, bytes));
    EXPECT_EQ("keep me", bytes);
}

TEST(SwiftletProgram, LaterProcessHandsItsJobToTheRunningInstance) {
    PipeTest::FixedPipeLock lock(PipeTest::FixedPipeLock::kHandOver);
    ASSERT_TRUE(lock.Held());
    PlayedUiInstance instance;
    const CString exe = SwiftletExe();
    // Sizes of paths near the command line's limit of 32767 characters.
    const CString longDestination = L"C:\\" + CString(L'd', 32000);
    ASSERT_EQ(0, TestFiles::RunProcess(exe + L" C:\\a \"C:\\b c\" C:\\dst", 60000));
    ASSERT_EQ(0, TestFiles::RunProcess(exe + L" /M C:\\a -x " + longDestination, 60000));
    ASSERT_EQ(0, TestFiles::RunProcess(exe + L" C:\\a /m", 60000));  // no destination: no job

    auto jobs = instance.Jobs();
    ASSERT_EQ(2u, jobs.size());
    ASSERT_EQ(2u, jobs[0].sources.size());
    EXPECT_EQ(CString(L"C:\\a"), jobs[0].sources[0]);
    EXPECT_EQ(CString(L"C:\\b c"), jobs[0].sources[1]);
    EXPECT_EQ(CString(L"C:\\dst"), jobs[0].destination);
    EXPECT_EQ(0, jobs[0].flags);
    ASSERT_EQ(1u, jobs[1].sources.size());
    EXPECT_EQ(longDestination, jobs[1].destination);
    EXPECT_EQ(1, jobs[1].flags);
}

TEST(SwiftletProgram, MoveAcrossDrivesLeavesWhatLinksLeadToAlone) {
    // The job must run in this Swiftlet.exe, not in another test's instance.
    PipeTest::FixedPipeLock lock(PipeTest::FixedPipeLock::kHandOver);
    ASSERT_TRUE(lock.Held());
    TestFiles::UnixTempDir z;  // drive Z:, where Wine's links live
    TestFiles::TempDir c(L"prog-links");  // drive C:
    TestFiles::LinkMaker links;
    const CString tree = z / L"src\\tree", outside = z / L"outside";
    ASSERT_TRUE(TestFiles::WriteBytes(tree + L"\\mine.txt", "mine"));
    ASSERT_TRUE(TestFiles::WriteBytes(outside + L"\\precious.txt", "precious"));
    ASSERT_TRUE(TestFiles::WriteBytes(outside + L"\\inner\\more.txt", "more"));
    ASSERT_TRUE(links.Make(tree + L"\\link", L"..\\..\\outside", true));
    ASSERT_TRUE(links.Make(tree + L"\\file", L"..\\..\\outside\\precious.txt", false));
    ASSERT_TRUE(links.Make(tree + L"\\up", L"..", true));
    ASSERT_TRUE(TestFiles::MakeFolders(c / L"dst"));

    EXPECT_EQ(0, TestFiles::RunProcess(SwiftletExe() + L" /m \"" + tree + L"\" \"" + (c / L"dst") + L"\"", 120000));

    std::string bytes;
    EXPECT_TRUE(TestFiles::ReadBytes(outside + L"\\precious.txt", bytes) && bytes == "precious");
    EXPECT_TRUE(TestFiles::ReadBytes(outside + L"\\inner\\more.txt", bytes) && bytes == "more");
    EXPECT_EQ((std::vector<CString>{L"inner\\", L"inner\\more.txt", L"precious.txt"}), TestFiles::ListTree(outside));
    EXPECT_EQ((std::vector<CString>{L"file", L"link\\", L"link\\inner\\", L"link\\inner\\more.txt",
                                    L"link\\precious.txt", L"mine.txt"}),
              TestFiles::ListTree(c / L"dst\\tree"));
    EXPECT_FALSE(TestFiles::Exists(tree + L"\\mine.txt")) << "moved";
}

namespace {

// The names of the libraries an executable imports, read from its file: the import
// directory's addresses are turned into file offsets through the section table.
std::vector<std::string> ImportedLibraries(const CString& path) {
    std::string image;
    if (!TestFiles::ReadBytes(path, image) || image.size() < sizeof(IMAGE_DOS_HEADER))
        return {};
    auto at = [&image](size_t offset, size_t size) -> const char* {
        return offset + size <= image.size() ? image.data() + offset : nullptr;
    };
    const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(image.data());
    const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS64*>(at(dos->e_lfanew, sizeof(IMAGE_NT_HEADERS64)));
    if (!nt || nt->Signature != IMAGE_NT_SIGNATURE)
        return {};
    const auto* sections = IMAGE_FIRST_SECTION(nt);
    auto offsetOf = [&](DWORD rva) -> size_t {
        for (WORD i = 0; i < nt->FileHeader.NumberOfSections; ++i) {
            const IMAGE_SECTION_HEADER& s = sections[i];
            if (rva >= s.VirtualAddress && rva < s.VirtualAddress + s.SizeOfRawData)
                return rva - s.VirtualAddress + s.PointerToRawData;
        }
        return image.size();
    };
    std::vector<std::string> names;
    const DWORD directory = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT].VirtualAddress;
    for (size_t offset = offsetOf(directory);; offset += sizeof(IMAGE_IMPORT_DESCRIPTOR)) {
        const auto* entry = reinterpret_cast<const IMAGE_IMPORT_DESCRIPTOR*>(at(offset, sizeof(IMAGE_IMPORT_DESCRIPTOR)));
        if (!entry || entry->Name == 0)
            break;
        const char* name = at(offsetOf(entry->Name), 1);
        if (!name)
            break;
        std::string lower(name, strnlen(name, image.data() + image.size() - name));
        for (char& c : lower)
            c = static_cast<char>(tolower(static_cast<unsigned char>(c)));
        names.push_back(lower);
    }
    return names;
}

}  // namespace

// A job that never shows a window must not load the drawing libraries nor the common
// controls: the program binds GDI+, the shell's image code and comctl32 at run time,
// when a window first needs them (foundation/GdiplusSession.h, AfxInitCommonControls).
TEST(SwiftletProgram, ImportsNoDrawingOrControlLibrary) {
    const std::vector<std::string> imports = ImportedLibraries(TestFiles::ExeFolder() + L"\\Swiftlet.exe");
    ASSERT_FALSE(imports.empty());
    EXPECT_NE(imports.end(), std::find(imports.begin(), imports.end(), "kernel32.dll"));
    for (const char* library : {"gdiplus.dll", "windowscodecs.dll", "msimg32.dll", "uxtheme.dll", "comctl32.dll"})
        EXPECT_EQ(imports.end(), std::find(imports.begin(), imports.end(), library))
            << library << " is imported: bind its functions at run time instead";
}

// Everything else the program calls is delay-loaded (cmake/DelayImports.cmake): a start
// that hands its job over or runs it without a window maps only these at start-up.
TEST(SwiftletProgram, ImportsOnlyTheKernelTheRuntimeAndAdvapi) {
    const std::vector<std::string> imports = ImportedLibraries(TestFiles::ExeFolder() + L"\\Swiftlet.exe");
    ASSERT_FALSE(imports.empty());
    for (const std::string& library : imports)
        EXPECT_TRUE(library == "kernel32.dll" || library == "msvcrt.dll" || library == "advapi32.dll")
            << library << " is imported at start-up: link its delay-loaded library instead";
}
