#include "console/ConsoleQuestion.h"

#include "console/ConsoleCommandLine.h"
#include "console/ConsoleText.h"
#include "console/resource.h"
#include "control/CoreDisplayStatus.h"
#include "control/ErrorText.h"
#include "engine/CopyException.h"
#include "foundation/Paths.h"

namespace Swiftlet {

namespace {

// The program's string table.
constexpr UINT kItemFile = 3102;
constexpr UINT kItemFolder = 3103;
constexpr UINT kFileExistsNamed = 3160;   // 宛先にはすでに"%s"という名前のファイルが存在します
constexpr UINT kFilesExistCount = 3161;   // 宛先には同じ名前のファイルが%d個存在します
constexpr UINT kInfoModified = 5001;
constexpr UINT kInfoSize = 5002;
constexpr UINT kInfoName = 5003;
constexpr UINT kInfoLocation = 5004;
constexpr UINT kEncryptionQuestion = 5020;
constexpr UINT kEncryptionNote = 5021;
constexpr UINT kNameTaken = 6005;
constexpr UINT kCloseFile = 6007;

// A batch question lists this many files and counts the rest.
constexpr int kListedFiles = 10;

const ConsoleChoice kOverwrite = {L'o', kAnswerOverwrite, IDS_CONSOLE_CHOICE_OVERWRITE};
const ConsoleChoice kSkip = {L's', kAnswerSkip, IDS_CONSOLE_CHOICE_SKIP};
const ConsoleChoice kKeepBoth = {L'k', kAnswerKeepBoth, IDS_CONSOLE_CHOICE_KEEP_BOTH};
const ConsoleChoice kCancel = {L'c', kAnswerCancel, IDS_CONSOLE_CHOICE_CANCEL};
const ConsoleChoice kRetry = {L'r', kAnswerRetry, IDS_CONSOLE_CHOICE_RETRY};
const ConsoleChoice kDecrypt = {L'y', kAnswerWithoutEncryption, IDS_CONSOLE_CHOICE_DECRYPT};

bool IsFolder(const WIN32_FILE_ATTRIBUTE_DATA& data) {
    return (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

CString Loaded(UINT id) {
    CString text;
    text.LoadString(id);
    return text;
}

CString ExistsText(const CString& destination) {
    CString text;
    text.Format(kFileExistsNamed, ConsoleText::ShownName(destination).GetString());
    return text;
}

CString TimeText(const FILETIME& time) {
    FILETIME local;
    SYSTEMTIME system;
    if (!FileTimeToLocalFileTime(&time, &local) || !FileTimeToSystemTime(&local, &system))
        return CString();
    wchar_t date[64] = {};
    wchar_t clock[64] = {};
    if (!GetDateFormatW(LOCALE_USER_DEFAULT, DATE_SHORTDATE, &system, nullptr, date, 64) ||
        !GetTimeFormatW(LOCALE_USER_DEFAULT, TIME_NOSECONDS, &system, nullptr, clock, 64))
        return CString();
    return CString(date) + L" " + clock;
}

// Full-width letters typed with a Japanese input method count as the plain ones.
wchar_t PlainLetter(wchar_t ch) {
    if (ch >= 0xFF21 && ch <= 0xFF3A)
        return static_cast<wchar_t>(ch - 0xFF21 + L'A');
    if (ch >= 0xFF41 && ch <= 0xFF5A)
        return static_cast<wchar_t>(ch - 0xFF41 + L'a');
    return ch;
}

}  // namespace

std::vector<CString> DescribeFile(const CString& path, const WIN32_FILE_ATTRIBUTE_DATA& data) {
    CString name, location, size, modified;
    name.Format(kInfoName, ConsoleText::ShownName(path).GetString());
    location.Format(kInfoLocation, GetParentFolder(path).GetString());
    size.Format(kInfoSize,
                FormatByteSize((static_cast<unsigned long long>(data.nFileSizeHigh) << 32) | data.nFileSizeLow)
                    .GetString());
    modified.Format(kInfoModified, TimeText(data.ftLastWriteTime).GetString());
    return {name, location, size, modified};
}

ConsoleQuestion::ConsoleQuestion(const Exception* e, int move) {
    const CopyException* copy = AsCopyException(e);
    const int type = copy ? copy->type : 0;
    if (type == kCopyOverwriteFiles) {
        DescribeFiles(e);
    } else if (type == kCopyOverwrite) {
        DescribeOverwrite(e);
    } else if (type == kCopyRetryFile) {
        DescribeRetry(e);
    } else if (type == kCopyEncrypted) {
        DescribeEncrypted(e, move);
    } else {
        choices = {kCancel};
    }
}

void ConsoleQuestion::DescribeFiles(const Exception* e) {
    auto* files = dynamic_cast<const CopyExceptionOverwriteFiles*>(e);
    if (!files)
        return;
    kind = kAskOverwriteFiles;
    CString heading;
    if (files->files.size() == 1)
        heading = ExistsText(files->files[0].second);
    else
        heading.Format(kFilesExistCount, static_cast<int>(files->files.size()));
    text.push_back(heading);
    for (size_t i = 0; i < files->files.size(); ++i) {
        if (static_cast<int>(i) == kListedFiles) {
            CString more;
            more.Format(IDS_CONSOLE_MORE_FILES, static_cast<int>(files->files.size()) - kListedFiles);
            text.push_back(L"  " + more);
            break;
        }
        text.push_back(L"  " + files->files[i].second);
    }
    for (const auto& file : files->files)
        skipped.push_back({file.second, ExistsText(file.second)});
    choices = {kOverwrite, kSkip, kKeepBoth, kCancel};
}

void ConsoleQuestion::DescribeOverwrite(const Exception* e) {
    auto* overwrite = dynamic_cast<const CopyExceptionOverwrite*>(e);
    if (!overwrite)
        return;
    const bool newIsFolder = IsFolder(overwrite->sourceData);
    const bool oldIsFolder = IsFolder(overwrite->destinationData);
    forAll = true;
    if (newIsFolder && oldIsFolder) {
        kind = kAskFolders;
        forAll = false;
        text = {Loaded(IDS_CONSOLE_FOLDER_EXISTS), L"  " + overwrite->destinationPath};
        skipped.push_back({overwrite->destinationPath, text[0]});
        choices = {kSkip, kCancel};
    } else if (newIsFolder != oldIsFolder) {
        kind = kAskNameClash;
        CString clash;
        clash.Format(kNameTaken, Loaded(newIsFolder ? kItemFolder : kItemFile).GetString(),
                     Loaded(newIsFolder ? kItemFile : kItemFolder).GetString());
        text = {clash, L"  " + overwrite->destinationPath};
        skipped.push_back({overwrite->destinationPath, clash});
        choices = {kRetry, kSkip, kCancel};
    } else {
        kind = kAskOverwriteFile;
        text.push_back(Loaded(IDS_CONSOLE_SAME_NAME_HERE));
        text.push_back(Loaded(IDS_CONSOLE_THIS_FILE));
        for (const CString& line : DescribeFile(overwrite->destinationPath, overwrite->destinationData))
            text.push_back(L"  " + line);
        text.push_back(Loaded(IDS_CONSOLE_REPLACE_WITH));
        for (const CString& line : DescribeFile(overwrite->sourcePath, overwrite->sourceData))
            text.push_back(L"  " + line);
        skipped.push_back({overwrite->destinationPath, ExistsText(overwrite->destinationPath)});
        choices = {kOverwrite, kSkip, kCancel};
    }
}

void ConsoleQuestion::DescribeRetry(const Exception* e) {
    auto* retry = dynamic_cast<const CopyExceptionRetryFile*>(e);
    if (!retry)
        return;
    kind = kAskRetry;
    forAll = true;
    const DWORD error = retry->error ? retry->error->error : 0;
    const CString path = retry->error ? retry->error->path : retry->path;
    const CString message = GetSystemErrorMessage(error);
    text.push_back(message);
    if (error == ERROR_SHARING_VIOLATION)
        text.push_back(Loaded(kCloseFile));
    text.push_back(L"  " + path);
    skipped.push_back({path, message});
    // The window offers to go on with administrator rights for an access denied; a
    // console job cannot hand itself over to an elevated process, so it offers a retry.
    choices = {kRetry, kSkip, kCancel};
}

void ConsoleQuestion::DescribeEncrypted(const Exception* e, int move) {
    auto* encrypted = dynamic_cast<const CopyExceptionEncrypted*>(e);
    if (!encrypted)
        return;
    kind = kAskEncrypted;
    forAll = true;
    const CString item = Loaded(IsFolder(encrypted->data) ? kItemFolder : kItemFile);
    const CString operation = GetOperationText(move);
    CString question, note;
    question.Format(kEncryptionQuestion, item.GetString(), operation.GetString());
    note.Format(kEncryptionNote, item.GetString(), operation.GetString());
    text = {question, note, L"  " + encrypted->path};
    skipped.push_back({encrypted->path, Loaded(IDS_CONSOLE_ENCRYPTED_SKIPPED)});
    choices = {kDecrypt, kSkip, kCancel};
}

CString ConsoleQuestion::ChoicesLine() const {
    CString line;
    for (const ConsoleChoice& choice : choices) {
        if (!line.IsEmpty())
            line += L"  ";
        line.AppendFormat(L"[%c] %s", choice.key, Loaded(choice.label).GetString());
    }
    if (forAll)
        line += L" " + Loaded(IDS_CONSOLE_FOR_ALL_HINT);
    return line + L" > ";
}

int ConsoleQuestion::AnswerFor(const CString& typed, int* applyToAll) const {
    *applyToAll = 0;
    CString word = typed;
    word.Trim();
    if (word.GetLength() != 1)
        return 0;
    const wchar_t letter = PlainLetter(word[0]);
    const bool capital = letter >= L'A' && letter <= L'Z';
    const wchar_t lower = capital ? static_cast<wchar_t>(letter - L'A' + L'a') : letter;
    for (const ConsoleChoice& choice : choices) {
        if (choice.key != lower)
            continue;
        // A retry is never remembered, and cancel ends the job anyway.
        if (capital && forAll && choice.answer != kAnswerRetry && choice.answer != kAnswerCancel)
            *applyToAll = 1;
        return choice.answer;
    }
    return 0;
}

int ConsoleQuestion::Decide(int ifExists) const {
    switch (kind) {
    case kAskOverwriteFiles:
        if (ifExists == kIfExistsOverwrite)
            return kAnswerOverwrite;
        return ifExists == kIfExistsKeepBoth ? kAnswerKeepBoth : kAnswerSkip;
    case kAskOverwriteFile:
        // One file has no "keep both" answer: it is kept rather than replaced.
        return ifExists == kIfExistsOverwrite ? kAnswerOverwrite : kAnswerSkip;
    case kAskUnknown:
        return kAnswerCancel;
    default:
        return kAnswerSkip;
    }
}

}  // namespace Swiftlet
