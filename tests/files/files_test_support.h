// What the file tests share: a test folder, files written into it, the messages expected,
// and a stand-in for the canvas's image that the writers read.
#pragma once
#include "canvas/canvas.h"
#include "file_builders.h"
#include "files/files.h"
#include <gtest/gtest.h>
#include <string>
#include <utility>
#include <vector>

// A folder of its own for each test, emptied and removed at the end.
class FileTest : public testing::Test {
  protected:
    void SetUp() override;
    void TearDown() override;
    std::wstring PathOf(const wchar_t* name) const { return Folder + L"\\" + name; }
    std::wstring Write(const wchar_t* name, const Bytes& bytes);
    std::wstring Folder;
};

typedef std::vector<std::pair<std::wstring, std::wstring>> Boxes; // caption, text
// The captions and texts of the boxes shown since the last call, which are then forgotten.
Boxes TakeBoxes();
// Queues n presses of OK, for a case that shows that many boxes.
void AnswerOk(int n);

// Reads the file into slot 0 as the open commands do once their dialog has named it.
bool OpenBitmapFile(const std::wstring& path, HWND canvas = nullptr);
bool OpenIconFile(const std::wstring& path, HWND canvas = nullptr);

// Puts an image of that format into ImageInfo and ImageBits as the canvas would hold it:
// table entries from the table given (rest black), pixels from the source.
void SetCanvasImage(int width, int height, int bits, const std::vector<RGBQUAD>& table,
                    const PixelSource& pixel);
// Gives the canvas a mask of the image's size with these transparent pixels, or none.
void SetCanvasMask(const std::function<bool(int, int)>& transparent);
void ClearCanvasImage();
// The canvas's image as a packed DIB: header, colour table, pixels.
Bytes CanvasAsDib();
// Takes the slot's image as the canvas does when a file was opened.
void CanvasFromSlot(int slot);
// Empties every slot and releases the held icon.
void ResetFileState();

// Runs a shell command on the Linux side (Wine starts Linux programs too): its exit code, or
// -1 when it could not be run. Linux names come from LinuxPath.
int RunLinuxCommand(const std::string& command);
// Runs this test program again as a child process with one test and one environment variable
// set: its exit code, or -1 (-2 when it could not be started).
int RunTestInChild(const wchar_t* test, const wchar_t* variable, const std::wstring& value);

// The canvas's image as the save commands hand it to the bitmap and the icon writer.
inline const ImageToWrite* CanvasBitmap() {
    static ImageToWrite image;
    CanvasImageToWrite(false, &image);
    return &image;
}
inline const ImageToWrite* CanvasIcon() {
    static ImageToWrite image;
    CanvasImageToWrite(true, &image);
    return &image;
}
