// Pixel readers, stylus messages, the message pump and file helpers for the tests.
#include "test_support.h"
#include <cstdio>

int DibPixelIndex(const BITMAPINFO* info, const BYTE* bits, int x, int y) {
    const BITMAPINFOHEADER& h = info->bmiHeader;
    int bitCount = h.biBitCount;
    int height = h.biHeight < 0 ? -h.biHeight : h.biHeight;
    int stride = ((h.biWidth * bitCount + 31) / 32) * 4;
    int row = h.biHeight < 0 ? y : height - 1 - y;
    const BYTE* line = bits + (size_t)row * stride;
    switch (bitCount) {
    case 1: return (line[x / 8] >> (7 - x % 8)) & 1;
    case 4: return (x % 2) ? (line[x / 2] & 0x0F) : (line[x / 2] >> 4);
    case 8: return line[x];
    default: return -1;
    }
}

COLORREF DibPixelColor(const BITMAPINFO* info, const BYTE* bits, int x, int y) {
    const BITMAPINFOHEADER& h = info->bmiHeader;
    if (h.biBitCount <= 8) {
        RGBQUAD q = info->bmiColors[DibPixelIndex(info, bits, x, y)];
        return RGB(q.rgbRed, q.rgbGreen, q.rgbBlue);
    }
    int height = h.biHeight < 0 ? -h.biHeight : h.biHeight;
    int stride = ((h.biWidth * h.biBitCount + 31) / 32) * 4;
    int row = h.biHeight < 0 ? y : height - 1 - y;
    const BYTE* p = bits + (size_t)row * stride + x * (h.biBitCount / 8);
    return RGB(p[2], p[1], p[0]);
}

COLORREF WindowPixel(HWND window, int x, int y) {
    HDC dc = GetDC(window);
    COLORREF color = GetPixel(dc, x, y);
    ReleaseDC(window, dc);
    return color;
}

HWND MakeTestWindow(const wchar_t* className, DWORD style, int width, int height, WNDPROC procedure,
                    HBRUSH background) {
    HINSTANCE instance = GetModuleHandleW(nullptr);
    WNDCLASSW wc = {};
    if (!GetClassInfoW(instance, className, &wc)) {
        wc.lpfnWndProc = procedure ? procedure : DefWindowProcW;
        wc.hInstance = instance;
        wc.hbrBackground = background;
        wc.lpszClassName = className;
        RegisterClassW(&wc);
    }
    return CreateWindowExW(0, className, L"", style, 0, 0, width, height, nullptr, nullptr,
                           instance, nullptr);
}

static void SendStylus(HWND window, UINT message, WPARAM keys, int x, int y) {
    SendMessageW(window, message, keys, MAKELPARAM((short)x, (short)y));
}

void StylusDown(HWND window, int x, int y) {
    SendStylus(window, WM_LBUTTONDOWN, MK_LBUTTON, x, y);
}
void StylusMove(HWND window, int x, int y) {
    SendStylus(window, WM_MOUSEMOVE, MK_LBUTTON, x, y);
}
void StylusUp(HWND window, int x, int y) {
    SendStylus(window, WM_LBUTTONUP, 0, x, y);
}

void StylusDrag(HWND window, int fromX, int fromY, int toX, int toY, int steps) {
    StylusDown(window, fromX, fromY);
    for (int i = 1; i <= steps; i++)
        StylusMove(window, fromX + (toX - fromX) * i / steps, fromY + (toY - fromY) * i / steps);
    StylusUp(window, toX, toY);
}

void PumpMessages() {
    MSG msg;
    for (int idle = 0; idle < 3; idle++) {
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            idle = 0;
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
    }
}

void ParkCursor() {
    SetCursorPos(GetSystemMetrics(SM_CXSCREEN) - 1, GetSystemMetrics(SM_CYSCREEN) - 1);
}

std::string LinuxPath(const std::wstring& path) {
    typedef char*(CDECL * ToUnix)(const WCHAR*);
    ToUnix toUnix =
        (ToUnix)(void*)GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "wine_get_unix_file_name");
    char* name = toUnix ? toUnix(path.c_str()) : nullptr;
    std::string result = name ? name : "";
    if (name) HeapFree(GetProcessHeap(), 0, name);
    return result;
}

std::wstring MakeTestFolder(const wchar_t* name) {
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    std::wstring folder = std::wstring(temp) + L"pixmora-" + name;
    CreateDirectoryW(folder.c_str(), nullptr);
    return folder;
}

void RemoveTestFolder(const std::wstring& folder) {
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW((folder + L"\\*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do
            DeleteFileW((folder + L"\\" + found.cFileName).c_str());
        while (FindNextFileW(search, &found));
        FindClose(search);
    }
    RemoveDirectoryW(folder.c_str());
}

std::vector<BYTE> ReadWholeFile(const std::wstring& path) {
    std::vector<BYTE> bytes;
    FILE* f = _wfopen(path.c_str(), L"rb");
    if (!f) return bytes;
    BYTE buffer[4096];
    size_t n;
    while ((n = fread(buffer, 1, sizeof buffer, f)) > 0)
        bytes.insert(bytes.end(), buffer, buffer + n);
    fclose(f);
    return bytes;
}

bool WriteWholeFile(const std::wstring& path, const std::vector<BYTE>& bytes) {
    FILE* f = _wfopen(path.c_str(), L"wb");
    if (!f) return false;
    bool ok = fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    return fclose(f) == 0 && ok;
}
