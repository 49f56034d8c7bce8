/* A version.dll planted beside a program, as a real attack would plant it:
   it does what the system's library does (the same functions of
   kernelbase), so everything that loads it keeps working, and it leaves
   "version.dll.loaded" beside itself when loaded and "version.dll.called"
   when the program's own code calls it. Wine's user32 imports version.dll
   itself, so a load alone says nothing about the program. */
#include <windows.h>

static wchar_t MarkerBase[MAX_PATH + 16];

static void Mark(const wchar_t* suffix) {
    wchar_t path[MAX_PATH + 32];
    lstrcpyW(path, MarkerBase);
    lstrcatW(path, suffix);
    HANDLE marker = CreateFileW(path, GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
    if (marker != INVALID_HANDLE_VALUE) CloseHandle(marker);
}

/* Marks a call whose caller is code of the program file itself. */
static void MarkIfFromProgram(void* returnAddress) {
    HMODULE caller = NULL;
    if (GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                           (LPCWSTR)returnAddress, &caller) &&
        caller == GetModuleHandleW(NULL))
        Mark(L".called");
}

static FARPROC Real(const char* name) { return GetProcAddress(GetModuleHandleW(L"kernelbase.dll"), name); }

typedef DWORD(WINAPI* TSize)(LPCWSTR, LPDWORD);
typedef BOOL(WINAPI* TInfo)(LPCWSTR, DWORD, DWORD, LPVOID);
typedef BOOL(WINAPI* TQuery)(LPCVOID, LPCWSTR, LPVOID*, PUINT);

__declspec(dllexport) DWORD WINAPI GetFileVersionInfoSizeW(LPCWSTR file, LPDWORD handle) {
    MarkIfFromProgram(__builtin_return_address(0));
    return ((TSize)Real("GetFileVersionInfoSizeW"))(file, handle);
}

__declspec(dllexport) BOOL WINAPI GetFileVersionInfoW(LPCWSTR file, DWORD handle, DWORD size, LPVOID data) {
    MarkIfFromProgram(__builtin_return_address(0));
    return ((TInfo)Real("GetFileVersionInfoW"))(file, handle, size, data);
}

__declspec(dllexport) BOOL WINAPI VerQueryValueW(LPCVOID block, LPCWSTR sub, LPVOID* buffer, PUINT length) {
    MarkIfFromProgram(__builtin_return_address(0));
    return ((TQuery)Real("VerQueryValueW"))(block, sub, buffer, length);
}

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved) {
    (void)reserved;
    if (reason == DLL_PROCESS_ATTACH) {
        DWORD n = GetModuleFileNameW(instance, MarkerBase, MAX_PATH);
        if (n == 0 || n >= MAX_PATH) return TRUE;
        Mark(L".loaded");
    }
    return TRUE;
}
