#pragma once
// Field encodings of the elevation pipe, on which the user-interface process hands the
// rest of a job to an elevated Swiftlet process and replays what that process reports.
// Unlike the other channels it counts strings and lists with 8-byte values:
//   long string   uint64 byte count, then that many bytes of UTF-16LE text
//   narrow string uint64 byte count, then that many bytes of 8-bit text
//   long list     uint64 count, then that many values
// The peer runs with other rights than ours: every count and length is checked against
// what is left of the message before anything is allocated for it, and every decoder
// accepts a value only when all of its fields are there. A decoder that fails leaves
// its output in an unspecified but valid state; the caller discards it.
#include <windows.h>

#include <memory>
#include <string>

#include "control/CopyStatus.h"
#include "control/CoreDisplayStatus.h"
#include "control/CoreEvent.h"
#include "engine/CopyOption.h"
#include "foundation/Exception.h"
#include "ipc/DataConverter.h"

namespace Swiftlet {
namespace ElevateData {

// What an exception record carries, by the record's first int32.
enum ExceptionKind : int32_t {
    kNoException = 0,
    kPlainException = 1,
    kWindowsException = 2,
    kWindowsFileException = 3,
    kCopyException = 4,
    kEncrypted = 5,
    kNotFreeSpace = 6,
    kOverwrite = 7,
    kRetryFile = 8,
    kOverwriteFiles = 9,
};

// The least room a long string takes: its byte count.
inline constexpr uint64_t kMinLongString = 8;

void AppendLongString(CDataConverter& out, const CString& text);
bool ReadLongString(CDataParser& in, CString& text);
void AppendNarrowString(CDataConverter& out, const std::string& text);
bool ReadNarrowString(CDataParser& in, std::string& text);
// A count of values that take at least minSize bytes each: refused when the rest of the
// message cannot hold that many.
bool ReadCount(CDataParser& in, uint64_t minSize, uint64_t& count);
bool ReadInt(CDataParser& in, int& value);
bool ReadUInt32(CDataParser& in, uint32_t& value);
// The 36 bytes of a WIN32_FILE_ATTRIBUTE_DATA as the system fills it.
void AppendAttributes(CDataConverter& out, const WIN32_FILE_ATTRIBUTE_DATA& data);
bool ReadAttributes(CDataParser& in, WIN32_FILE_ATTRIBUTE_DATA& data);

// The job record: every field of the option in declaration order.
void EncodeJob(CDataConverter& out, const CopyOption& option);
bool DecodeJob(CDataParser& in, CopyOption& option);

// The status record: the two settings, the trees in pre-order with parent indexes, the
// nine counters, then the read and the write cursor (tree and node index, -1 for a
// cursor past the last tree). The decoded status has no option; the caller sets it.
void EncodeStatus(CDataConverter& out, const CopyStatus& status);
bool DecodeStatus(CDataParser& in, CopyStatus& status);

// An exception (null: none), classified by the most derived class it is.
ExceptionKind ClassifyException(const Exception* e);
void EncodeException(CDataConverter& out, const Exception* e);
// A received exception of the kind's class; null for kind 0.
bool DecodeException(CDataParser& in, std::unique_ptr<Exception>& e);

// The display snapshot of an event; the decoded snapshot owns its exception.
void EncodeSnapshot(CDataConverter& out, const CoreDisplayStatus& snapshot);
bool DecodeSnapshot(CDataParser& in, CoreDisplayStatus& snapshot);

// The per-file choices of the many-conflicts question, with 4-byte counts: int32 N,
// then N entries of int32 byte count, UTF-16LE path and int32 choice.
void EncodeSelection(CDataConverter& out, const SelectionMap& selection);
bool DecodeSelection(CDataParser& in, SelectionMap& selection);

}  // namespace ElevateData
}  // namespace Swiftlet
