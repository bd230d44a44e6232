#pragma once
// A question of a job as the console asks it: the lines that describe it, the choices of
// the window's view (one letter each; a capital letter applies the choice to every later
// question of the kind where the window has its "for all items" box), and what a skip
// leaves out, with the reason the summary gives for each item.
#include <windows.h>

#include <vector>

#include "foundation/Exception.h"
#include "framework/CString.h"

namespace Swiftlet {

enum ConsoleQuestionKind : int {
    kAskUnknown = 0,
    kAskOverwriteFiles = 1,  // files in the way of files, decided together
    kAskOverwriteFile = 2,   // one file in the way of a file
    kAskNameClash = 3,       // a file in the way of a folder, or a folder in the way of a file
    kAskFolders = 4,         // a folder in the way of a folder
    kAskRetry = 5,           // a Windows error on an item
    kAskEncrypted = 6,       // an encrypted item, a destination without encryption
};

struct ConsoleChoice {
    wchar_t key;  // lower-case letter
    int answer;   // CopyAnswer
    UINT label;   // string id
};

// An item left out and why.
struct ConsoleProblem {
    CString path;
    CString reason;
};

class ConsoleQuestion {
public:
    // e: the question's exception (may be null); move: the job's move flag.
    ConsoleQuestion(const Exception* e, int move);

    // "[o] 上書き  [s] スキップ ... > ".
    CString ChoicesLine() const;
    // The answer a typed line gives, 0 when it is none of the choices. *applyToAll is 1
    // for a capital letter where the question offers it (never for a retry).
    int AnswerFor(const CString& typed, int* applyToAll) const;
    // The answer with nobody to ask: files in the way follow ifExists (ConsoleIfExists),
    // where the question allows it; everything else is skipped, and a question the
    // window has no view for cancels the job, as the window does.
    int Decide(int ifExists) const;
    // A file in the way of a file: the question --if-exists answers.
    bool IsFileConflict() const { return kind == kAskOverwriteFiles || kind == kAskOverwriteFile; }

    int kind = kAskUnknown;
    std::vector<CString> text;
    std::vector<ConsoleChoice> choices;
    bool forAll = false;
    std::vector<ConsoleProblem> skipped;

private:
    void DescribeFiles(const Exception* e);
    void DescribeOverwrite(const Exception* e);
    void DescribeRetry(const Exception* e);
    void DescribeEncrypted(const Exception* e, int move);
};

// The lines the window shows for a file: name, location, size, modified.
std::vector<CString> DescribeFile(const CString& path, const WIN32_FILE_ATTRIBUTE_DATA& data);

}  // namespace Swiftlet
