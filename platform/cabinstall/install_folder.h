// The install folder's file work for the stand-in cabinet installer.
#pragma once
#include <windows.h>
#include <string>
#include <vector>

// The system's text for an error code, without its closing full stop.
std::wstring SystemMessage(DWORD error);
bool Exists(const std::wstring& path);
// The folder and every missing folder above it; the system's error code on failure. Folders
// it made are added to made (when given), the highest first.
DWORD MakeFolders(const std::wstring& path, std::vector<std::wstring>* made = nullptr);

// Folders of the installer's own beside the install folder: a name no user gives a folder
// (the install folder's, a kind and a number of this run's) and a mark inside it.
// Makes one, empty but for its mark; the system's error code on failure.
DWORD MakeOwnFolder(const std::wstring& target, const WCHAR* kind, std::wstring* folder);
// Removes a folder of the installer's own with everything in it but links (removing one
// could remove what it leads to), which stay with the folder; true when nothing of it is
// left. Any other folder is left as it is.
bool RemoveOwnFolder(const std::wstring& folder);
// Removes what installations that were cut off left beside the install folder: only
// folders of the installer's own, never a user's folder of any name.
void RemoveLeftovers(const std::wstring& target);

// Moves the files unpacked in staging (names relative to it) into the install folder, each
// replacing the file of its name, which is set aside meanwhile and comes back when any move
// fails. Nothing else in the install folder is touched: the user's files and links stay.
bool MoveIntoPlace(const std::wstring& staging, const std::vector<std::wstring>& names,
                   const std::wstring& target, std::wstring* failure);
