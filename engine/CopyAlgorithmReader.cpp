// The reader thread of the copy algorithm: walks the item trees, settles conflicts and
// feeds file contents into the buffer pool.
#include "engine/CopyAlgorithm.h"

#include "engine/CopyException.h"
#include "foundation/Paths.h"

namespace Swiftlet {

UINT __cdecl CopyAlgorithmMultiThread::ReaderThreadProc(LPVOID self) {
    static_cast<CopyAlgorithmMultiThread*>(self)->ReaderThread();
    return 0;
}

void CopyAlgorithmMultiThread::ReaderThread() {
    try {
        if (elevatePeer)
            readWalk.Skip();  // the cursor arrived with the status
        else
            readWalk.Begin();
        do {
            ReaderLoop();
        } while (ReaderBatchEnd() == 1);
    } catch (const CopyException& e) {
        if (e.type == kCopyStopForElevation)
            stopForElevation = 1;
        if (!IsStopsOwnCancel(e))
            Report(&e);
        readWalk.SetFailed();
    } catch (const Exception& e) {
        Report(&e);
        readWalk.SetFailed();
    } catch (...) {
        Report(nullptr);
        readWalk.SetFailed();
    }
    try {
        if (reader)
            reader->Close();
    } catch (...) {
    }
}

void CopyAlgorithmMultiThread::ReaderLoop() {
    while (readWalk.IsRunning()) {
        readerNoBuffer = 0;
        try {
            ReaderStep();
        } catch (const CopyExceptionEncrypted& e) {
            CopyExceptionEncrypted question(e);
            ApplyReaderAnswer(events ? events->AskEncrypted(&question) : 0);
        } catch (const CopyExceptionOverwrite& e) {
            CopyExceptionOverwrite question(e);
            ApplyReaderAnswer(events ? events->AskOverwrite(&question) : 0);
        } catch (const WindowsFileException& e) {
            CopyExceptionRetryFile question(e);
            ApplyReaderAnswer(events ? events->AskRetry(&question) : 0);
        }
        if (events)
            events->OnReadProgress(&readWalk, TotalMs(), CopyMs(), reader->GetOffset());
        if (readerNoBuffer == 1)
            WaitForSpace();
    }
}

void CopyAlgorithmMultiThread::ReaderStep() {
    PauseCheck(readerPolls);
    CancelCheck(readerPolls);
    while (readWalk.IsRunning() && readWalk.Current().HasFlags(CopyItemData::Skip)) {
        const CString source = readWalk.GetSourcePath();
        if (reader->IsOpen() && reader->GetName().CompareNoCase(source) == 0)
            reader->Abort();
        manager->Discard(source);
        readWalk.Advance();
    }
    if (!readWalk.IsRunning())
        return;
    switch (readWalk.Current().type) {
        case CopyItemData::File:
            if (ReaderConflictCheck() == 1)
                ReadItem();
            break;
        case CopyItemData::Folder:
            if (ReaderConflictCheck() == 1) {
                EncryptedFolderCheck();
                readWalk.Advance();
            }
            break;
        case CopyItemData::Stream:
            ReadItem();
            break;
        default:
            throw CopyException(kCopyNothingToDo);
    }
}

// 1 when the item is to be read (or the folder passed) now.
int CopyAlgorithmMultiThread::ReaderConflictCheck() {
    CopyItemData& item = readWalk.Current();
    if (item.HasFlags(CopyItemData::Opened | CopyItemData::Overwrite | CopyItemData::NoDestination))
        return 1;
    const CString destination = readWalk.GetDestinationPath();
    WIN32_FILE_ATTRIBUTE_DATA destinationData{};
    if (!GetFileAttributesExW(ToLongPath(destination), GetFileExInfoStandard, &destinationData)) {
        readWalk.SetCurrentFlags(CopyItemData::NoDestination, 1);
        return 1;
    }
    const CString source = readWalk.GetSourcePath();
    WIN32_FILE_ATTRIBUTE_DATA sourceData{};
    if (!GetFileAttributesExW(ToLongPath(source), GetFileExInfoStandard, &sourceData))
        throw WindowsFileException(GetLastError(), source);
    const bool destinationIsFolder = (destinationData.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    const bool sourceIsFolder = (sourceData.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    if (destinationIsFolder && sourceIsFolder && option.askFolderConflicts == 0) {
        readWalk.SetCurrentFlags(CopyItemData::Overwrite, 0);  // merge
        return 1;
    }
    if (destinationIsFolder && !sourceIsFolder) {
        // A file does not replace a folder: that would delete the folder with everything
        // in it. The user may move the folder away and try again, or skip the file.
        throw WindowsFileException(ERROR_ALREADY_EXISTS, destination);
    }
    if (!destinationIsFolder && !sourceIsFolder && option.batchFileConflicts == 1) {
        // Set aside: both sides pass over it until the decision at the end.
        readWalk.SetCurrentFlags(CopyItemData::Deferred | CopyItemData::Skip, 1);
        return 0;
    }
    throw CopyExceptionOverwrite(source, sourceData, destination, destinationData);
}

void CopyAlgorithmMultiThread::EncryptedFolderCheck() {
    if (status.destinationSupportsEncryption == 1)
        return;
    CopyItemData& item = readWalk.Current();
    if (item.HasFlags(CopyItemData::Opened | CopyItemData::Decrypt))
        return;
    // The source first: it is almost never encrypted, and a destination that does not
    // exist yet costs a search of its whole folder on some systems to be told missing.
    const CString source = readWalk.GetSourcePath();
    WIN32_FILE_ATTRIBUTE_DATA data{};
    const BOOL haveSource = GetFileAttributesExW(ToLongPath(source), GetFileExInfoStandard, &data);
    const DWORD error = GetLastError();
    if (haveSource && !(data.dwFileAttributes & FILE_ATTRIBUTE_ENCRYPTED))
        return;
    // An existing destination folder keeps what it is: nothing to ask.
    if (GetFileAttributesW(ToLongPath(readWalk.GetDestinationPath())) != INVALID_FILE_ATTRIBUTES)
        return;
    if (!haveSource)
        throw WindowsFileException(error, source);
    throw CopyExceptionEncrypted(source, data);
}

int CopyAlgorithmMultiThread::ReaderAbandonIfSkipped() {
    if (!readWalk.Current().HasFlags(CopyItemData::Skip))
        return 0;
    reader->Abort();
    return 1;
}

void CopyAlgorithmMultiThread::ReadItem() {
    CopyItemData& item = readWalk.Current();
    if (!reader->IsOpen()) {
        const CString source = readWalk.GetSourcePath();
        int synchronous = 1;
        int checkEncrypted =
            status.destinationSupportsEncryption == 1 || item.HasFlags(CopyItemData::Decrypt) ? 0 : 1;
        reader->Open(source, source, &synchronous, &checkEncrypted, &readerNoBuffer);
        if (readerNoBuffer == 1)
            return;
        item.SetFlags(CopyItemData::Opened);
        if (ReaderAbandonIfSkipped() == 1)
            return;
        WakeWriter();
    }
    while (reader->GetOffset() < reader->GetFileSize()) {
        uint32_t queued = 0;
        reader->ReadNext(&queued, &readerNoBuffer);
        if (readerNoBuffer == 1)
            return;
        // The writer may have skipped the item after a failure of its own; blocks
        // queued after it dropped the item's records would never be taken.
        if (ReaderAbandonIfSkipped() == 1)
            return;
        if (queued != 0)
            WakeWriter();
        PauseCheck(readerPolls);
        CancelCheck(readerPolls);
        if (events)
            events->OnReadProgress(&readWalk, TotalMs(), CopyMs(), reader->GetOffset());
    }
    reader->Close();
    readWalk.Advance();
}

void CopyAlgorithmMultiThread::ApplyReaderAnswer(int answer) {
    switch (answer) {
        case kAnswerRetry:
            break;
        case kAnswerSkip:
            readWalk.SetCurrentFlags(CopyItemData::Skip, 1);
            writerWake.Wake();
            break;
        case kAnswerWithoutEncryption:
            readWalk.SetCurrentFlags(CopyItemData::Decrypt, 0);
            break;
        case kAnswerOverwrite:
            readWalk.SetCurrentFlags(CopyItemData::Overwrite, 0);
            break;
        case kAnswerElevate:
            // Set before the other side is stopped: its cancel is this stop's own.
            stopForElevation = 1;
            StopBothSides(kCopyStopForElevation);
        default:
            StopBothSides(kCopyCancelled);
    }
}

int CopyAlgorithmMultiThread::ReaderBatchEnd() {
    if (!batchReaderDone || !batchWriterDone || !batchDecided || readWalk.HasDeferredConflicts() != 1)
        return 0;
    SetEvent(batchReaderDone);
    // A cancel first, then the writer's signal, as on the writer's side: only a writer
    // that ended without it leaves nobody to write what a decision releases.
    HANDLE handles[3] = {cancelEvent.Handle(), batchWriterDone, writerThread->m_hThread};
    DWORD result = WaitAny(handles, 3);
    if (result == WAIT_OBJECT_0) {
        StopBothSides(kCopyCancelled);
    } else if (result == WAIT_OBJECT_0 + 1) {
        SetEvent(batchWriterDone);
    } else if (result == WAIT_OBJECT_0 + 2) {
        if (writeWalk.GetState() == CopyStatusItemInfo::Failed)
            throw CopyException(kCopyCancelled);
        return 0;  // nobody would write what a decision releases
    } else {
        throw CopyException(kReaderBatchWaitFailed);
    }

    CopyExceptionOverwriteFiles question;
    readWalk.CollectDeferredConflicts(question);
    SelectionMap selection;
    const int answer = events ? events->AskOverwriteFiles(&question, &selection) : 0;
    if (readWalk.ApplyDeferredAnswer(answer, &selection) != 1) {
        StopBothSides(kCopyCancelled);
    }
    readWalk.Restart();
    SetEvent(batchDecided);
    return 1;
}

}  // namespace Swiftlet
