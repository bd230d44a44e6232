#pragma once
// The extension's fixed identities. The same values stand in SwiftletShellEx.idl and in
// the class script ShellExDragDropHandlers.rgs; a test reads them back from the built
// type library and the registry.
#include <windows.h>

namespace ShellEx {

// The class ShellExDragDropHandlers, registered as a drag-and-drop handler for folders.
inline constexpr CLSID kClassId = {0xFE006492, 0x5155, 0x4049, {0x97, 0x41, 0xD7, 0xA5, 0x3D, 0xD1, 0x9B, 0xCE}};
inline constexpr wchar_t kClassIdText[] = L"{FE006492-5155-4049-9741-D7A53DD19BCE}";
// The type library SwiftletShellExLib, version 1.0.
inline constexpr GUID kLibraryId = {0x677DAFD5, 0x412B, 0x4D20, {0xB1, 0xC6, 0x6B, 0xEE, 0xD1, 0x93, 0x60, 0xC4}};
inline constexpr WORD kLibraryMajor = 1;
inline constexpr WORD kLibraryMinor = 0;
// The class's own dispatch interface IShellExDragDropHandlers.
inline constexpr IID kInterfaceId = {0xAB46098A, 0x507A, 0x4811, {0xBE, 0xFD, 0x89, 0xA9, 0xF6, 0x0B, 0xE4, 0x01}};
// The application id; its script writes nothing.
inline constexpr wchar_t kAppIdText[] = L"{6F62C99A-EDAD-4640-8230-10B6EBA60C1B}";

}  // namespace ShellEx
