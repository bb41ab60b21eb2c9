// The editor shell: start-up, the main window and its layout and commands, the save prompt,
// and the dialog boxes. The top of the editor: nothing below includes this header.
#pragma once
#include <windows.h>
#include <aygshell.h>
#include "files/files.h"

// ---- State the shell owns ------------------------------------------------------------------
extern HMENU MainMenu;
extern HWND MenuBarWindow;
extern int MenuBarHeight;
extern HWND ToolBarWindow;
extern HWND LineBarWindow;
extern HWND PaletteWindow;

// Layout values, written by the layout pass.
extern int ClientWidth;
extern int ClientHeight;
extern int PaletteWidth;
extern int WideLayoutMinWidth;
extern int LayoutMode; // 1 wide, 2 narrow
extern int ViewWidth;
extern int ViewHeight;

// The dialogs' memory of the values they opened with.
extern int PrevCanvasWidth;
extern int PrevCanvasHeight;
extern int PrevScale;
extern int CanvasSizeChoice; // 0 "16 x 16", 1 "32 x 32"

// The keyboard's shortcuts, loaded at start-up; none when they could not be loaded.
extern HACCEL KeyTable;

// Wheel turn toward the next scale step, kept between messages: a high-resolution wheel
// sends less than a notch at a time.
extern int ScaleWheelTurn;

// The file the picture belongs to: the one it was opened from or last saved to, and its
// form (DOCUMENT_FORMAT_BITMAP or DOCUMENT_FORMAT_ICON); empty for a new picture.
extern WCHAR DocumentFile[PATH_CHARS];
extern int DocumentFileFormat;
// A file named on the command line or handed over by a second start, opened once the main
// window handles its messages; waiting while a box or dialog of the editor is up.
extern WCHAR NamedFile[PATH_CHARS];
extern bool HandedFileWaiting;

// Puts the shell's state back to its start values.
void ResetShellState();

// ---- Start-up ---------------------------------------------------------------------------------
// Everything the program entry does, returning the exit code. The command line may name
// a file to open.
int RunEditor(HINSTANCE instance, HINSTANCE previous, const WCHAR* commandLine, int showCommand);
// Everything up to the message loop: 1 when the main window is up and the loop should run,
// 0 when the program ends at once (another instance runs, or the window was not created).
int StartEditor(HINSTANCE instance, HINSTANCE previous, int showCommand);
// Runs until the quit message; its code.
int RunMessageLoop();
// The shortcut keys of a message to the main window or its children: true when the message
// became a command and must not be dispatched. Modal dialogs run loops of their own, so the
// keys are off while one is up.
bool TranslateEditorKeys(MSG* msg);
void RegisterEditorClasses(HINSTANCE instance);
// Has the system show this thread's box and dialog messages to the closing-click note.
void WatchBoxClicks();
// The main window was activated (WM_ACTIVATE): noted when a box or dialog of the editor
// handed the activation back, that is, closed, and whether a click closed it.
void NoteActivation(HWND window, WPARAM wParam, LPARAM lParam);
// A press (and its release) on the editor's windows that is the second click of a
// double-click whose first click closed a box (by its own position and time): the message
// loop drops it.
bool IsClosingClickEcho(const MSG* msg);

// ---- Command line ---------------------------------------------------------------------------
// The first argument of a command line (quoted or not) into argument (size characters);
// false when there is none or it does not fit.
bool FirstArgument(const WCHAR* commandLine, WCHAR* argument, int size);
// The full name of the file the command line names, into full (PATH_CHARS characters); false
// when it names none, or a name too long for a path (told, owned by owner).
bool CommandLineFile(HWND owner, const WCHAR* commandLine, WCHAR* full);
// Has the main window open the file the command line names, once it handles its messages.
void OpenCommandLineFile(HWND window, const WCHAR* commandLine);
// Command CMD_OPEN_NAMED: opens NamedFile (OpenNamedFile) and empties it.
LRESULT OpenNamedFileCommand(HWND window);

// ---- Second start ---------------------------------------------------------------------------
// Tags the copied data as a file to open, so data some other program sends is left alone.
#define HANDED_FILE_TAG 0x4D584950
// Run by a second start: hands the file its command line names to the running editor's main
// window and brings that window forward.
void HandOverToRunningEditor(HWND running, const WCHAR* commandLine);
// WM_COPYDATA: a file handed over by a second start, opened as the command line's is (TRUE);
// FALSE for data that is not such a name.
LRESULT FileHandedOver(HWND window, LPARAM copyData);
// WM_ENABLE: a file handed over while a box was up is opened once the window is enabled.
void OpenWaitingHandedFile(HWND window, WPARAM enabled);
// Tells of a file name too long to be opened (shown as far as it was read).
void ReportUnopenableName(HWND owner, const WCHAR* name);

// ---- Main window and its layout --------------------------------------------------------------
LRESULT CALLBACK WndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// Where the children go at a client size; the one place that knows the layout's rules.
struct MainLayout {
    int Mode;         // 1 wide, 2 narrow
    int WideMinWidth; // the narrowest client area that takes the wide layout
    RECT ToolBar, LineBar, TransparentTool, Palette, View;
    RECT FullMonitor, HalfMonitor; // where each monitor stands at its layout size
};
void ComputeLayout(int width, int height, MainLayout* layout);
// The WM_SIZE handler: stores the layout values and places every child that exists.
LRESULT LayoutChildren(HWND window, LPARAM size);
// Lays the children out again at the current client size (sends WM_SIZE), after anything
// that moves or resizes one: the canvas created, the scale or the image size changed.
void LayOutAgain(HWND window);
// The smallest client area the frame admits: a small (240 x 320) handheld's, 240 x 268, and
// turned, 320 x 188 (its screen less the title and soft-key bars).
#define SMALLEST_CLIENT_WIDTH 240
#define SMALLEST_CLIENT_HEIGHT 188
// Creates the canvas if it is missing (command 50); command is the one being handled.
LRESULT EnsureCanvas(HWND window, int command);

// The open, monitor and transparency commands of the main window (Copy and Paste are the
// canvas subsystem's CopyCommand and PasteCommand).
LRESULT OpenBitmapCommand(HWND window);
LRESULT OpenIconCommand(HWND window);
// Opens the named file as the matching open command would after the user chose it in its
// dialog: .ico and .cur files as icons, any other as a bitmap (whose reader takes only files
// that begin with "BM"); the save prompt first, the readers' messages on a failure.
LRESULT OpenNamedFile(HWND window, const WCHAR* path);
LRESULT OpenMonitorCommand(HWND window);
LRESULT CloseMonitorCommand(HWND window);
LRESULT TransparencyCommand(HWND window, LPARAM lParam);

// The Icon Images command (its dialog) and what the dialog does, each false when nothing
// changed (a failure has been told): the canvas switched to image i of the icon, the image
// there kept with its edits; image i removed (never the last), the canvas moving to its neighbour
// first when it shows it.
LRESULT IconImagesCommand(HWND window);
INT_PTR CALLBACK IconImagesDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
bool SwitchCanvasImage(HWND window, int index);
bool RemoveIconImageAt(HWND window, int index);
// The forms an image is added in or changed to: bits per pixel, and stored as PNG.
struct IconForm {
    const WCHAR* Name; // as the dialog lists it
    int Bits;
    bool Png;
};
#define ICON_FORM_COUNT 4
#define FORM_16_COLOURS 0
#define FORM_256_COLOURS 1
#define FORM_TRUE_COLOUR 2
#define FORM_PNG 3
extern const IconForm IconForms[ICON_FORM_COUNT];
// The sizes the dialogs list (Make All Sizes' check boxes in this order).
#define ICON_SIZE_COUNT 10
extern const int IconSizes[ICON_SIZE_COUNT];
// An icon document whose images the held icon has; any other picture is one image, itself.
bool DocumentIsIcon();
// What the list tells of image i; the image on the canvas as the canvas has it.
IconImageFacts FactsOf(int index);
// Makes the picture an icon document when it is not one yet (its only image).
bool PrepareIconDocument(HWND window);
// An image of width x height (1 to 256) in the form added at the end, blank or made from the
// canvas; a cursor's takes the canvas image's hot spot, scaled.
bool AddIconImageOf(HWND window, int width, int height, const IconForm* form, bool fromCanvas);
// The same put in at index (appended at the image count, else in place of the image there).
bool PutMadeImage(HWND window, int index, int width, int height, const IconForm* form,
                  bool fromCanvas);
// Image i in another form at its size, each pixel the nearest the form holds; the canvas
// takes it anew when it shows it.
bool ChangeIconImageForm(HWND window, int index, const IconForm* form);
// Make All Sizes: its dialog, then MakeAllSizes with the sizes chosen there.
void MakeAllSizesCommand(HWND owner);
INT_PTR CALLBACK MakeAllSizesDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
// Images of the sizes flagged (bit i: IconSizes[i]) made from the canvas's image, true colour
// with alpha (PNG at 256), in place of the images of those sizes (one question first, when
// there are any; false on Cancel), the others kept, the list then in size order. The image on
// the canvas serves for its own size.
bool MakeAllSizes(HWND window, unsigned sizes);
#define STANDARD_SIZES (1u << 0 | 1u << 2 | 1u << 3 | 1u << 5 | 1u << 9) // 16 24 32 48 256
// The Hot Spot command: the next tap on the canvas moves a cursor's hot spot.
LRESULT HotSpotCommand(HWND window);

// ---- Colours and the fill ---------------------------------------------------------------------
LRESULT FillToolCommand();
// The colour dialog for the cell of the colour the palette's taps set.
LRESULT CustomColourCommand(HWND window);
LRESULT StandardColoursCommand();
// Repaints the palette bar after its colours changed.
LRESULT ColoursChangedCommand();

// ---- Scale and the document's file ------------------------------------------------------------
#define START_SCALE 10
#define LARGEST_SCALE 9999 // the most the Scale dialog's four digits can give
// The largest scale the image's size allows (never above LARGEST_SCALE, never below 1).
int LargestScale();
// The one place a new scale takes effect: sets Scale (kept within 1..LargestScale()) and, when
// it changed, lays the canvas out at it and repaints the canvas and the line bar.
void SetScale(HWND window, int scale);
LRESULT ScaleCommand(HWND window);
// Scale up or down by one, or back to the start scale (the keys).
LRESULT ScaleStepCommand(HWND window, int command);
// Runs a Save As the main window was asked for (CMD_SAVE_BITMAP, CMD_SAVE_ICON) and, when it
// wrote the file, makes that file the document's; the canvas's result.
LRESULT SaveAsCommand(HWND window, int command);
// Writes the picture to the document's own file in its own form, with no dialog; with no
// such file it runs the Save As of the document's kind.
LRESULT SaveCommand(HWND window);
// The picture now belongs to this file (none: to no file yet).
void SetDocumentFile(const WCHAR* path, int format);

// ---- Desktop additions: each does nothing where the system lacks what it answers -----------
// Files dropped on the main window: the first is opened as OpenNamedFile does.
void AcceptDroppedFiles(HWND window);
LRESULT DroppedFiles(HWND window, WPARAM drop);
// The wheel over the view: scrolls it (the view's own wheel handling), or with Ctrl changes
// the scale by a step for each notch, keeping the image point under the pointer in place.
LRESULT MainWindowWheel(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
// Dragging the frame stops at the smallest handheld's client area, in either orientation.
LRESULT MainWindowSizeLimits(HWND window, LPARAM minMaxInfo);
// WM_WINDOWPOSCHANGING: the window takes every size it is given, also one below those limits.
LRESULT MainWindowPlaced(WINDOWPOS* place);

// ---- Save prompt ------------------------------------------------------------------------------
int ConfirmDiscard(HWND owner, const WCHAR* name, const WCHAR* caption);
// The prompt before a command replaces or ends the picture, however it came (an open from the
// menu, a dropped file, a file handed over, New Create, Canvas Size, Exit): it names the file
// the picture belongs to (DocumentFile, without its folder; "(untitled)" for none) and is
// captioned with the current slot's file.
int AskBeforeDiscarding(HWND owner);
int ShowSavePrompt(HWND owner, UINT message, int command, const WCHAR* name, const WCHAR* caption);

// ---- Dialog boxes -----------------------------------------------------------------------------
INT_PTR CALLBACK AboutDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK CanvasSizeDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK ScaleDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
// Runs the dialog template of that name from AppInstance modally; its EndDialog result.
INT_PTR RunDialog(HWND owner, const WCHAR* templateName, DLGPROC procedure);
// Keeps a dialog being initialised wholly on the screen (the work area), its controls in it.
void FitDialogToScreen(HWND dialog);
