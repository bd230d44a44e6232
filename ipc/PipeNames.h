#pragma once
// The four pipe channels between Swiftlet's processes. Both ends of a channel take its
// name from here, so the GUIDs are declared once.
#include <windows.h>

#include <string>

#include "framework/CString.h"

namespace Swiftlet {
namespace PipeNames {

// Registry form, with braces.
inline constexpr wchar_t kJobHandOverGuid[] = L"{554F352D-D142-4E0D-86A2-9D7636215A3B}";
inline constexpr wchar_t kShellHandOverGuid[] = L"{22CD6092-7AE3-4A28-B91E-ADCA3D5A1E6A}";
inline constexpr wchar_t kElevationGuid[] = L"{49B95226-7D71-43EA-9DA7-CCBF17CE09A8}";
inline constexpr wchar_t kServiceGuid[] = L"{A2582A88-3F69-4518-8925-81EF824C383E}";

inline constexpr wchar_t kPipePrefix[] = L"\\\\.\\pipe\\";

inline CString MakePipeName(const wchar_t* guid) {
    CString name(kPipePrefix);
    name += guid;
    return name;
}

// "\\.\pipe\{GUID}-a-b", the two numbers in decimal.
// (Numbers are written without the window system's wsprintf: a process that only hands a
// job over never maps it.)
inline CString MakePipeName(const wchar_t* guid, int a, int b) {
    CString name = MakePipeName(guid);
    name += (L"-" + std::to_wstring(a) + L"-" + std::to_wstring(b)).c_str();
    return name;
}

// One pipe per session, "\\.\pipe\{GUID}-<session id>": a start in one session never
// meets the instance of another session (another user's, or the same user's on another
// desktop). The pipe's access list keeps other users of the same session out.
inline CString JobHandOverPipeName() {
    DWORD session = 0;
    if (!ProcessIdToSessionId(GetCurrentProcessId(), &session)) session = 0;
    CString name = MakePipeName(kJobHandOverGuid);
    name += (L"-" + std::to_wstring(session)).c_str();
    return name;
}
inline CString ServicePipeName() { return MakePipeName(kServiceGuid); }
inline CString ShellHandOverPipeName(int a, int b) { return MakePipeName(kShellHandOverGuid, a, b); }
inline CString ElevationPipeName(int a, int b) { return MakePipeName(kElevationGuid, a, b); }

}  // namespace PipeNames
}  // namespace Swiftlet
