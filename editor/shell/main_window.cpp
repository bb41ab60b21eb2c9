// The main window: its creation and the soft-key menu's commands. Most commands are carried
// out by the canvas or a dialog; layout.cpp places the children.
#include "shell/shell.h"
#include "base/editor_state.h"
#include "canvas/canvas.h"
#include "files/files.h"
#include "toolwindows/toolwindows.h"
#include "resources/resource_ids.h"

// Set by Exit once the save prompt has been answered, so the close it sends asks no more.
static int CloseConfirmed;
// Handed to the shell library's activation helpers, which keep the input panel's state in it.
static SHACTIVATEINFO ActivateInfo;

static HWND CreateChild(const WCHAR* className, const WCHAR* title, DWORD style, HWND parent,
                        LPVOID parameter) {
    return CreateWindowExW(0, className, title, style, 0, 0, 0, 0, parent, nullptr, AppInstance,
                           parameter);
}

static void CreateMenuBar(HWND window) {
    MainMenu = LoadMenuW(AppInstance, MAKEINTRESOURCEW(IDR_MAIN_MENU));
    MenuBarWindow = nullptr;
    if (!MainMenu) return;
    SHMENUBARINFO info = {};
    info.cbSize = sizeof info;
    info.hwndParent = window;
    info.dwFlags = SHCMBF_HMENU;
    info.nToolBarId = (UINT)(UINT_PTR)MainMenu;
    info.hInstRes = AppInstance;
    if (SHCreateMenuBar(&info)) MenuBarWindow = info.hwndMB;
}

static LRESULT OnCreate(HWND window) {
    CreateMenuBar(window);
    ActivateInfo = SHACTIVATEINFO{};
    ActivateInfo.cbSize = sizeof ActivateInfo;
    RECT client = {};
    GetClientRect(window, &client);
    CurrentTool = TOOL_PEN;
    DiscardImage(); // a new main window starts with no image
    LineWidth = 1;
    LineColor = 0;
    FillColor = 0;
    const DWORD bar = WS_CHILD | WS_VISIBLE | WS_BORDER;
    ToolBarWindow = CreateChild(L"ToolBar", L"ToolBar", bar, window, nullptr);
    LineBarWindow = CreateChild(L"LineBar", L"LineBar", bar, window, nullptr);
    PaletteWindow = CreateChild(L"Palette", L"Palette", bar, window, nullptr);
    ViewWindow = CreateChild(L"View Window", L"View Window", bar | WS_HSCROLL | WS_VSCROLL, window,
                             (LPVOID)(INT_PTR)CurrentSlot);
    if (ToolBarWindow || LineBarWindow || PaletteWindow) {
        InvalidateRect(window, nullptr, TRUE);
        SendMessageW(window, WM_SIZE, 0, MAKELPARAM(client.right, client.bottom));
    }
    return 0;
}

static LRESULT SendToCanvas(int command) {
    if (!ImageWindows[0]) return 0;
    return SendMessageW(ImageWindows[0], WM_COMMAND, command, 0);
}

LRESULT EnsureCanvas(HWND window, int command) {
    if (!ImageWindows[0]) {
        ImageWindows[0] = CreateChild(L"Canvas", L"Canvas", WS_CHILD | WS_VISIBLE | WS_BORDER,
                                      ViewWindow, nullptr);
        if (ImageWindows[0]) LayOutAgain(window);
    }
    if (command == CMD_NEW_CREATE) DocumentKind = DOCUMENT_NEW_BITMAP;
    // The view window shows its start picture while there is no canvas, also when
    // creating one failed.
    const int noCanvas = ImageWindows[0] ? 0 : 1;
    // The view paints the start picture only while there is no canvas; around a canvas its
    // grey background must show, so a change repaints it.
    if (noCanvas != NoCanvas && ViewWindow) InvalidateRect(ViewWindow, nullptr, TRUE);
    NoCanvas = noCanvas;
    return 0;
}

// Closes the canvas and lets go of everything the old document holds.
static void CloseDocument() {
    SendMessageW(ImageWindows[0], WM_CLOSE, 0, 0);
    ImageWindows[0] = nullptr;
    if (DocumentKind == DOCUMENT_BITMAP_FILE)
        ReleaseSlot(CurrentSlot);
    else if (DocumentKind == DOCUMENT_ICON_FILE)
        ReleaseHeldIcon();
    DocumentKind = 0;
    NoCanvas = 1;
    DiscardImage();
    ImagePending = 0;
}

static LRESULT NewCreateCommand(HWND window) {
    if (!AskBeforeDiscarding(window)) return 0;
    if (!RunDialog(window, L"CanvasSize", CanvasSizeDlgProc)) return 0;
    if (ImageWindows[0]) CloseDocument();
    // Whatever image is left (its canvas could not be made) goes too, with its undo
    // history: the new image gets a header of its own size and does not undo into the old.
    DiscardImage();
    SizeChosen = 1;
    EnsureCanvas(window, CMD_NEW_CREATE);
    SetDocumentFile(nullptr, 0); // a new picture has no file of its own yet
    Modified = 0;
    return 0;
}

static LRESULT CanvasSizeCommand(HWND window) {
    if (!AskBeforeDiscarding(window)) return 0;
    if (RunDialog(window, L"CanvasSize", CanvasSizeDlgProc) &&
        (CanvasWidth != PrevCanvasWidth || CanvasHeight != PrevCanvasHeight))
        SizeChosen = 1;
    if (ImageWindows[0] && SizeChosen) {
        SendToCanvas(CMD_RESIZE_IMAGE);
        LayOutAgain(window); // the canvas window takes the new size at once
    }
    return 0;
}

static LRESULT ExitCommand(HWND window) {
    if (!AskBeforeDiscarding(window)) return 0;
    CloseConfirmed = 1;
    SendMessageW(window, WM_CLOSE, 0, 0);
    CloseConfirmed = 0;
    return 0;
}

// A close from outside (the window manager, Alt+F4) asks as Exit does.
static LRESULT OnClose(HWND window) {
    if (CloseConfirmed || AskBeforeDiscarding(window)) DestroyWindow(window);
    return 0;
}

static LRESULT OnDestroy() {
    if (MenuBarWindow) {
        DestroyWindow(MenuBarWindow);
        MenuBarWindow = nullptr;
    }
    if (MainMenu) { // a menu that belongs to no window is not freed with one
        DestroyMenu(MainMenu);
        MainMenu = nullptr;
    }
    PostQuitMessage(0);
    return 0;
}

static LRESULT OnCommand(HWND window, WPARAM wParam, LPARAM lParam) {
    // A key pressed while the stylus is still down ends the stroke first, as a lost capture
    // does: the command then finds the stroke finished, counted as a change and undoable.
    AbandonStroke(ImageWindows[0]);
    switch (LOWORD(wParam)) {
    case CMD_ABOUT: RunDialog(window, L"AboutBox", AboutDlgProc); return 0;
    // The save's result goes back to the save prompt, which sent the command.
    case CMD_SAVE_BITMAP:
    case CMD_SAVE_ICON: return SaveAsCommand(window, LOWORD(wParam));
    case CMD_SAVE: return SaveCommand(window);
    case CMD_MESH_ON: SendToCanvas(CMD_MESH_ON); return 0;
    case CMD_MESH_OFF: SendToCanvas(CMD_MESH_OFF); return 0;
    case CMD_OPEN_BITMAP: return OpenBitmapCommand(window);
    case CMD_SCALE: return ScaleCommand(window);
    case CMD_SCALE_UP:
    case CMD_SCALE_DOWN:
    case CMD_SCALE_START: return ScaleStepCommand(window, LOWORD(wParam));
    case CMD_OPEN_ICON: return OpenIconCommand(window);
    case CMD_NEW_CREATE: return NewCreateCommand(window);
    case CMD_OPEN_MONITOR: return OpenMonitorCommand(window);
    case CMD_CLOSE_MONITOR: return CloseMonitorCommand(window);
    case CMD_TRANSPARENCY: return TransparencyCommand(window, lParam);
    case CMD_COPY: CopyCommand(ImageWindows[0]); return 0;
    case CMD_PASTE: PasteCommand(ImageWindows[0]); return 0;
    // A custom colour's step takes the palette with it.
    case CMD_UNDO: UndoCommand(); return ColoursChangedCommand();
    case CMD_REDO: RedoCommand(); return ColoursChangedCommand();
    case CMD_FILL_TOOL: return FillToolCommand();
    case CMD_PICK_COLOUR: PickPending = 1; return 0;
    case CMD_CUSTOM_COLOUR: return CustomColourCommand(window);
    case CMD_STANDARD_COLOURS: return StandardColoursCommand();
    case CMD_COLOURS_CHANGED: return ColoursChangedCommand();
    case CMD_ENSURE_CANVAS: return EnsureCanvas(window, CMD_ENSURE_CANVAS);
    case CMD_OPEN_NAMED: return OpenNamedFileCommand(window);
    case CMD_CANVAS_SIZE: return CanvasSizeCommand(window);
    case CMD_ICON_IMAGES: return IconImagesCommand(window);
    case CMD_HOT_SPOT: return HotSpotCommand(window);
    case CMD_EXIT: return ExitCommand(window);
    }
    return DefWindowProcW(window, WM_COMMAND, wParam, lParam);
}

LRESULT CALLBACK WndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_CREATE: return OnCreate(window);
    case WM_SIZE: return LayoutChildren(window, lParam);
    case WM_ACTIVATE:
        SHHandleWMActivate(window, wParam, lParam, &ActivateInfo, 0);
        NoteActivation(window, wParam, lParam);
        break;
    case WM_SETTINGCHANGE: SHHandleWMSettingChange(window, wParam, lParam, &ActivateInfo); break;
    case WM_CLOSE: return OnClose(window);
    // The session may end only once the picture is saved or given up.
    case WM_QUERYENDSESSION: return AskBeforeDiscarding(window) ? TRUE : FALSE;
    case WM_DESTROY: return OnDestroy();
    // A second start's file (the system's own way to hand data to another program's window).
    case WM_COPYDATA: return FileHandedOver(window, lParam);
    case WM_ENABLE: OpenWaitingHandedFile(window, wParam); break;
    case WM_COMMAND: return OnCommand(window, wParam, lParam);
    // Desktop additions; the handheld never sends these.
    case WM_DROPFILES: return DroppedFiles(window, wParam);
    case WM_MOUSEWHEEL:
    case WM_MOUSEHWHEEL: return MainWindowWheel(window, message, wParam, lParam);
    case WM_GETMINMAXINFO: return MainWindowSizeLimits(window, lParam);
    case WM_WINDOWPOSCHANGING: return MainWindowPlaced((WINDOWPOS*)lParam);
    }
    return DefWindowProcW(window, message, wParam, lParam);
}
