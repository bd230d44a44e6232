// The writer thread of the copy algorithm: walks the item trees behind the reader,
// creates folders, writes files and streams from the buffer pool and, for a move,
// deletes the sources that were copied completely.
#include "engine/CopyAlgorithm.h"

#include "engine/CopyException.h"
#include "foundation/Paths.h"

namespace Swiftlet {

UINT __cdecl CopyAlgorithmMultiThread::WriterThreadProc(LPVOID self) {
    static_cast<CopyAlgorithmMultiThread*>(self)->WriterThread();
    return 0;
}

void CopyAlgorithmMultiThread::WriterThread() {
    // However the walk ends, the folders created so far get their times.
    struct FinishFolderTimes {
        CopyFolderTimes& times;
        ~FinishFolderTimes() {
            try {
                times.FinishAll();
            } catch (...) {
            }
        }
    } finishFolderTimes{folderTimes};
    try {
        if (elevatePeer)
            writeWalk.Skip();
        else
            writeWalk.Begin();
        do {
            WriterLoop();
        } while (WriterBatchEnd() == 1);
        return;
    } catch (const CopyException& e) {
        if (e.type == kCopyStopForElevation)
            stopForElevation = 1;
        try {
            writer->Abort();
        } catch (...) {
        }
        if (!IsStopsOwnCancel(e))
            Report(&e);
    } catch (const Exception& e) {
        try {
            writer->Abort();
        } catch (...) {
        }
        Report(&e);
    } catch (...) {
        try {
            writer->Abort();
        } catch (...) {
        }
        Report(nullptr);
    }
    writeWalk.SetFailed();
}

void CopyAlgorithmMultiThread::WriterLoop() {
    while (writeWalk.IsRunning()) {
        writerNotReady = 0;
        try {
            WriterStep();
        } catch (const CopyException&) {
            throw;
        } catch (const WindowsFileException& e) {
            AskWriterQuestion(e);
        }
        if (events)
            events->OnWriteProgress(&writeWalk, TotalMs(), CopyMs(), writer->GetWritten());
        if (writerNotReady == 1)
            WaitForData();
    }
}

void CopyAlgorithmMultiThread::WriterStep() {
    PauseCheck(writerPolls);
    CancelCheck(writerPolls);
    while (writeWalk.IsRunning() && writeWalk.Current().HasFlags(CopyItemData::Skip)) {
        const CString source = writeWalk.GetSourcePath();
        if (!writer->GetKey().IsEmpty() && writer->GetKey().CompareNoCase(source) == 0)
            writer->Abort();  // deletes the partial destination
        manager->Discard(source);
        writeWalk.Advance();
    }
    if (!writeWalk.IsRunning())
        return;
    // Everything before this item is written or left out: the folders it lies outside of
    // are complete (not so in the walk that only creates the folders).
    if (status.write.pass != CopyStatusItemInfo::FoldersPass)
        folderTimes.Reached(writeWalk.CurrentNode().node);
    // Each item only once the reader has released it.
    CopyItemData& item = writeWalk.Current();
    const uint32_t needed = item.type == CopyItemData::File || item.type == CopyItemData::Stream
                                ? static_cast<uint32_t>(CopyItemData::Opened)
                                : static_cast<uint32_t>(CopyItemData::Passed);
    switch (item.type) {
        case CopyItemData::File:
        case CopyItemData::Stream:
        case CopyItemData::Folder:
        case CopyItemData::DeleteSource:
        case CopyItemData::RemoveSourceFolder:
            break;
        default:
            throw CopyException(kCopyNothingToDo);
    }
    if (!item.HasFlags(needed)) {
        writerNotReady = 1;
        return;
    }
    switch (item.type) {
        case CopyItemData::File:
        case CopyItemData::Stream:
            WriteItem();
            break;
        case CopyItemData::Folder:
            CreateFolder();
            break;
        case CopyItemData::DeleteSource:
            DeleteSourceFile();
            break;
        default:
            RemoveSourceFolder();
            break;
    }
}

void CopyAlgorithmMultiThread::WriteItem() {
    CopyItemData& item = writeWalk.Current();
    if (writer->GetKey().IsEmpty()) {
        if (item.HasFlags(CopyItemData::KeepBoth) && item.destName.IsEmpty())
            writeWalk.MakeUniqueDestinationName();
        int synchronous = 1;
        int overwrite = item.HasFlags(CopyItemData::Overwrite) ? 1 : 0;
        writer->Open(writeWalk.GetDestinationPath(), writeWalk.GetSourcePath(), &synchronous, &overwrite,
                     &writerNotReady);
        if (writerNotReady == 1)
            return;
        WakeReader();
    }
    while (writer->GetWritten() < writer->GetFileSize()) {
        uint32_t bytes = 0;
        writer->Write(&bytes, &writerNotReady);
        if (writerNotReady == 1)
            return;
        if (bytes != 0)
            WakeReader();
        PauseCheck(writerPolls);
        CancelCheck(writerPolls);
        if (events)
            events->OnWriteProgress(&writeWalk, TotalMs(), CopyMs(), writer->GetWritten());
    }
    writer->Finish();
    writer->Reset();
    writeWalk.Advance();
}

void CopyAlgorithmMultiThread::CreateFolder() {
    const CString destination = writeWalk.GetDestinationPath();
    const CString longDestination = ToLongPath(destination);
    // Only a folder that may merge asks what is there: looking up a name that does not
    // exist yet costs a search of the whole destination folder on some systems, as much
    // as the creation itself.
    const DWORD existing = writeWalk.Current().HasFlags(CopyItemData::Overwrite) ? GetFileAttributesW(longDestination)
                                                                                 : INVALID_FILE_ATTRIBUTES;
    if (existing != INVALID_FILE_ATTRIBUTES) {
        if (existing & FILE_ATTRIBUTE_DIRECTORY) {
            writeWalk.Advance();  // merged into the folder that is there
            return;
        }
        // The user agreed to overwrite the file of that name: the folder takes its place.
        const ItemRemover::Result removed = remover.RemoveFile(destination);
        if (removed == ItemRemover::kNotItself)
            throw WindowsFileException(ERROR_NOT_SUPPORTED, destination);
        if (removed != ItemRemover::kRemoved)
            throw WindowsFileException(GetLastError(), destination);
    }
    // A folder that is to hold something gets its time once that is in: each entry made
    // in it would change the time again.
    const CopyItemTree::node_type* folder = writeWalk.CurrentNode().node;
    if (!folder->firstChild) {
        if (!CreateFolderLike(ToLongPath(writeWalk.GetSourcePath()), longDestination))
            throw WindowsFileException(GetLastError(), destination);
    } else {
        FILETIME lastWrite{};
        if (!CreateFolderLike(ToLongPath(writeWalk.GetSourcePath()), longDestination, &lastWrite))
            throw WindowsFileException(GetLastError(), destination);
        if (lastWrite.dwLowDateTime != 0 || lastWrite.dwHighDateTime != 0)
            folderTimes.Add(folder, destination, lastWrite);
    }
    writeWalk.Advance();
}

namespace {

// 1 when an item below folder, other than except, was left out: the folder's source
// still holds something that was not moved.
bool HoldsSkippedItem(const CopyItemTree::node_type* folder, const CopyItemTree::node_type* except) {
    const CopyItemTree::node_type* node = folder->firstChild;
    while (node) {
        if (node != except && (node->data.GetFlags() & CopyItemData::Skip))
            return true;
        if (node->firstChild) {
            node = node->firstChild;
            continue;
        }
        while (node && node != folder && !node->nextSibling)
            node = node->parent;
        node = node && node != folder ? node->nextSibling : nullptr;
    }
    return false;
}

}  // namespace

void CopyAlgorithmMultiThread::DeleteSourceFile() {
    // Only a source whose copy is complete goes: the file itself was written, and none
    // of its streams was left out.
    CopyItemTree::iterator node = writeWalk.CurrentNode();
    const auto* file = node.node->parent;
    bool complete = file && (file->data.GetFlags() & (CopyItemData::Written | CopyItemData::Skip)) ==
                                CopyItemData::Written;
    if (complete && HoldsSkippedItem(file, node.node))
        complete = false;
    if (!complete) {
        writeWalk.SetCurrentFlags(CopyItemData::Skip, 0);
        return;
    }
    const CString source = writeWalk.GetSourcePath();
    ItemRemover::Result result = ItemRemover::kFailed;
    DWORD error = ERROR_SUCCESS;
    RetryPaused(
        [&] {
            result = remover.RemoveFile(source);
            return result != ItemRemover::kFailed;
        },
        ERROR_SUCCESS, &error);
    if (result == ItemRemover::kNotItself) {
        // A link that the system would delete by way of its target: it stays.
        writeWalk.SetCurrentFlags(CopyItemData::Skip, 0);
        return;
    }
    if (result != ItemRemover::kRemoved)
        throw WindowsFileException(error, source);
    writeWalk.Advance();
}

void CopyAlgorithmMultiThread::RemoveSourceFolder() {
    // A link to a folder can be removed whatever lies behind it: what was not copied
    // keeps the link, as a file left in a folder keeps the folder.
    CopyItemTree::iterator node = writeWalk.CurrentNode();
    if (node.node->parent && HoldsSkippedItem(node.node->parent, node.node)) {
        KeepSourceFolder();
        return;
    }
    const CString source = writeWalk.GetSourcePath();
    ItemRemover::Result result = ItemRemover::kFailed;
    DWORD error = ERROR_SUCCESS;
    RetryPaused(
        [&] {
            result = remover.RemoveFolder(source);
            return result != ItemRemover::kFailed;
        },
        ERROR_DIR_NOT_EMPTY, &error);
    if (result == ItemRemover::kRemoved) {
        writeWalk.Advance();
        return;
    }
    if (result == ItemRemover::kNotItself || error == ERROR_DIR_NOT_EMPTY) {
        KeepSourceFolder();
        return;
    }
    throw WindowsFileException(error, source);
}

void CopyAlgorithmMultiThread::KeepSourceFolder() {
    if (option.batchFileConflicts == 1)
        writeWalk.SetCurrentFlags(CopyItemData::Deferred | CopyItemData::Skip, 1);
    else
        writeWalk.SetCurrentFlags(CopyItemData::Skip, 1);
}

bool CopyAlgorithmMultiThread::RetryPaused(const std::function<bool()>& attempt, DWORD stopOn, DWORD* error) {
    *error = ERROR_SUCCESS;
    for (uint32_t tried = 0; tried <= option.retryCount; ++tried) {
        // Scanners and indexers hold files they just saw for a moment.
        if (tried > 0)
            Sleep(option.retryWaitMs);
        if (attempt())
            return true;
        *error = GetLastError();
        if (stopOn != ERROR_SUCCESS && *error == stopOn)
            break;
    }
    return false;
}

void CopyAlgorithmMultiThread::AskWriterQuestion(const WindowsFileException& e) {
    int answer = 0;
    if (e.error == ERROR_ALREADY_EXISTS || e.error == ERROR_FILE_EXISTS) {
        const CString destination = writeWalk.GetDestinationPath();
        const CString source = writeWalk.GetSourcePath();
        WIN32_FILE_ATTRIBUTE_DATA destinationData{}, sourceData{};
        const bool bothKnown = GetFileAttributesExW(ToLongPath(destination), GetFileExInfoStandard, &destinationData) &&
                               GetFileAttributesExW(ToLongPath(source), GetFileExInfoStandard, &sourceData);
        // A file never overwrites a folder (that would delete the folder with all it
        // holds): only the retry question is asked for it.
        const bool fileOverFolder = writeWalk.Current().type != CopyItemData::Folder &&
                                    (destinationData.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY);
        if (bothKnown && !fileOverFolder) {
            CopyExceptionOverwrite question(source, sourceData, destination, destinationData);
            ApplyWriterAnswer(events ? events->AskOverwrite(&question) : 0);
            return;
        }
    }
    CopyExceptionRetryFile question(e);
    answer = events ? events->AskRetry(&question) : 0;
    ApplyWriterAnswer(answer);
}

void CopyAlgorithmMultiThread::ApplyWriterAnswer(int answer) {
    switch (answer) {
        case kAnswerRetry:
            break;
        case kAnswerSkip:
            writeWalk.SetCurrentFlags(CopyItemData::Skip, 1);
            break;
        case kAnswerOverwrite:
            writeWalk.SetCurrentFlags(CopyItemData::Overwrite, 0);
            break;
        case kAnswerElevate:
            // Set before the other side is stopped: its cancel is this stop's own.
            stopForElevation = 1;
            StopBothSides(kCopyStopForElevation);
        default:
            StopBothSides(kCopyCancelled);
    }
}

int CopyAlgorithmMultiThread::WriterBatchEnd() {
    if (!batchReaderDone || !batchWriterDone || !batchDecided || writeWalk.HasDeferredConflicts() != 1)
        return 0;
    SetEvent(batchWriterDone);
    // The decision comes before the reader's end: the reader reads what it released at
    // once and may have ended by the time this thread runs again, and a wait reports the
    // first of several signalled handles. Seen as "the reader is gone", the released
    // files would be left unwritten without a word. A cancel is taken before either.
    HANDLE handles[3] = {cancelEvent.Handle(), batchDecided, readerThread->m_hThread};
    DWORD result = WaitAny(handles, 3);
    if (result == WAIT_OBJECT_0) {
        StopBothSides(kCopyCancelled);
    } else if (result == WAIT_OBJECT_0 + 1) {
        SetEvent(batchDecided);
    } else if (result == WAIT_OBJECT_0 + 2) {
        if (readWalk.GetState() == CopyStatusItemInfo::Failed)
            throw CopyException(kCopyCancelled);
        return 0;  // no decision will come: the deferred files stay as they are
    } else {
        throw CopyException(kWriterBatchWaitFailed);
    }
    // The reader's signal of the first pass has served: the next waits for data block
    // again until the reader queues the released files.
    ResetEvent(batchReaderDone);
    writeWalk.Restart();
    return 1;
}

}  // namespace Swiftlet
