// Holds a program or DLL mapped as an image, the way Explorer holds a shell extension
// it has loaded: the file cannot be deleted or overwritten, only renamed. Writes "held"
// (or "failed N") on its standard output and keeps the file until its input ends.
#include <windows.h>
#include <cstdio>

int wmain(int argc, wchar_t** argv) {
    if (argc != 2) return 2;
    HMODULE module = LoadLibraryExW(argv[1], nullptr, DONT_RESOLVE_DLL_REFERENCES);
    if (!module) {
        std::printf("failed %lu\n", GetLastError());
        return 1;
    }
    std::printf("held\n");
    std::fflush(stdout);
    char buffer[64];
    DWORD read = 0;
    HANDLE input = GetStdHandle(STD_INPUT_HANDLE);
    while (ReadFile(input, buffer, sizeof buffer, &read, nullptr) && read != 0) {
    }
    FreeLibrary(module);
    return 0;
}
