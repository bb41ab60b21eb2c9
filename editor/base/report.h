// Failure messages that every subsystem shows: part of the base under all of them.
#pragma once
#include <windows.h>

// Formats text with one %s, putting "(untitled)" in place of an empty name, into buffer
// (size characters, always terminated).
void FormatWithName(WCHAR* buffer, int size, const WCHAR* format, const WCHAR* name);
// The formatted text in a box with an exclamation icon and an OK button.
void ReportError(HWND owner, const WCHAR* format, const WCHAR* name, const WCHAR* caption);
// "could not allocate any memory." under the caption of the operation that failed.
void ReportNoMemory(HWND owner, const WCHAR* caption);
