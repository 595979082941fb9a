// sleeper FILE: holds FILE open without sharing and sleeps a minute; a pass command's process
// that tests can tell is still there (the file cannot be opened) or gone.

#include <windows.h>

int wmain(int argc, wchar_t** argv) {
    if (argc < 2)
        return 2;
    const HANDLE file =
        ::CreateFileW(argv[1], GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return 1;
    ::Sleep(60000);
    ::CloseHandle(file);
    return 0;
}
