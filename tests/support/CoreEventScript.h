#pragma once
// An observer that runs a job without windows: it records every event of the job and
// answers the questions from a script ("answer 2 to the first retry question, 5 for all
// overwrite questions"). Tests and benchmarks watch jobs with it.
#include <windows.h>

#include <condition_variable>
#include <functional>
#include <mutex>
#include <vector>

#include "control/CoreEventHandler.h"

namespace Swiftlet {

// The kinds of question a job asks.
enum CoreQuestionKind : int {
    kQuestionAny = 0,
    kQuestionRetry = 1,
    kQuestionEncrypted = 2,
    kQuestionOverwrite = 3,
    kQuestionOverwriteFiles = 4,
};

// One event as it was delivered.
struct CoreEventRecord {
    int code = 0;
    int copyType = 0;       // CopyException type of an error or a question, else 0
    int questionKind = 0;   // for code 2003
    DWORD error = 0;        // system error of a Windows exception (inner one of a retry)
    CString path;           // path of a file error or of a question's item
    unsigned long long missing = 0;  // bytes missing, for type 10
    std::vector<std::pair<CString, CString>> files;  // the batch of a many-conflicts question
    int answer = 0;         // what the script answered
    unsigned long long totalMs = 0, copyMs = 0;  // code 2001
    // Progress as the display record shows it after the event (codes 3000, 3001, 2101).
    unsigned long long bytesRead = 0, bytesWritten = 0;
    CString writeDestinationPath;
};

class CoreEventScriptHandler : public CoreEventHandlerBase {
public:
    // One line of the script: questions of kind (and, for retries, of error when it is
    // non-zero) get answer, times times (-1: always), in the order the rules were added.
    struct Rule {
        int kind = kQuestionAny;
        DWORD error = 0;
        int answer = 0;
        int applyToAll = 0;
        int times = -1;
        SelectionMap selection;  // for answer 8
    };

    // defaultAnswer goes to questions no rule matches; 0 leaves them unanswered, which
    // cancels the job.
    explicit CoreEventScriptHandler(int defaultAnswer = 0);
    ~CoreEventScriptHandler() override;

    CoreEventScriptHandler& Answer(int kind, int answer, int times = -1, int applyToAll = 0, DWORD error = 0);
    CoreEventScriptHandler& AnswerSelection(const SelectionMap& selection, int times = -1);

    // Called on the engine thread after each event is recorded (and a question answered),
    // while the job waits; tests use it to act at a given moment.
    std::function<void(const CoreEventRecord&)> onEvent;

    void Dispatch() override;

    // A copy of what was delivered so far.
    std::vector<CoreEventRecord> Records() const;
    std::vector<int> Codes() const;
    int Count(int code) const;
    // Waits until an event of code was delivered; false after timeoutMs.
    bool WaitFor(int code, DWORD timeoutMs) const;

private:
    CoreEventRecord Describe(const CoreEvent& e) const;
    int Choose(CoreEventRecord& record, int* applyToAll, SelectionMap* selection);

    int defaultAnswer;
    std::vector<Rule> rules;
    mutable std::mutex lock;
    mutable std::condition_variable delivered;
    std::vector<CoreEventRecord> records;
};

}  // namespace Swiftlet
