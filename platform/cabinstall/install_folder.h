// The install folder's file work for the stand-in cabinet installer.
#pragma once
#include <windows.h>
#include <string>

// The system's text for an error code, without its closing full stop.
std::wstring SystemMessage(DWORD error);
bool Exists(const std::wstring& path);
// The folder and every missing folder above it; the system's error code on failure.
DWORD MakeFolders(const std::wstring& path);
// Removes a folder with everything in it; true when nothing of it is left.
bool RemoveTree(const std::wstring& folder);
// Copies into `to` what `from` holds and `to` does not, keeping the user's own files.
bool KeepOtherFiles(const std::wstring& from, const std::wstring& to, std::wstring* failure);
// Puts the staging folder in the target's place, an earlier copy coming back on failure.
bool MoveIntoPlace(const std::wstring& staging, const std::wstring& target, std::wstring* failure);
