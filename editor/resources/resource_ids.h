// Resource and command identifiers of the editor. Menu command ids double as the
// WM_COMMAND ids that the main window forwards to the canvas, so they must not change.
#pragma once

// Menu resource holding the two soft-key pop-ups, "File" and "Menu".
#define IDR_MAIN_MENU 102
// The keyboard's shortcuts to the menu's commands (keys.rc).
#define IDR_KEYS 103

// Commands (menu items and the internal ones the main window sends).
#define CMD_ABOUT 10
#define CMD_SAVE_BITMAP 13
#define CMD_MESH_ON 17
#define CMD_MESH_OFF 18
#define CMD_OPEN_BITMAP 19
#define CMD_SCALE 20
#define CMD_OPEN_ICON 21
#define CMD_NEW_CREATE 22
#define CMD_OPEN_MONITOR 23
#define CMD_CLOSE_MONITOR 24
#define CMD_SAVE_ICON 26
#define CMD_TRANSPARENCY 27
#define CMD_COPY 28
#define CMD_PASTE 29
#define CMD_UNDO 31
#define CMD_REDO 32
// Reached by keys only; each does what its menu item or the Scale dialog does.
#define CMD_SAVE 33          // save to the document's own file, else Save As of its kind
#define CMD_SCALE_UP 34      // one step larger
#define CMD_SCALE_DOWN 35    // one step smaller, never below 1
#define CMD_SCALE_START 36   // back to the scale the editor starts with
#define CMD_ENSURE_CANVAS 50 // internal: create the canvas if missing
#define CMD_OPEN_NAMED 51    // internal: open the file named on the command line
#define CMD_CANVAS_SIZE 66
#define CMD_ICON_IMAGES 67
#define CMD_RESIZE_IMAGE 85 // internal: canvas resizes its image after Canvas Size
#define CMD_EXIT 110

// Dialog controls.
#define IDC_SCALE_EDIT 100
#define IDC_SIZE_16 101 // the following two ids must stay consecutive
#define IDC_SIZE_32 102
// The Icon Images dialog.
#define IDC_IMAGE_LIST 120
#define IDC_IMAGE_EDIT 121
#define IDC_IMAGE_REMOVE 122
#define IDC_ADD_16 123 // the following two ids must stay consecutive
#define IDC_ADD_32 124
#define IDC_ADD_FROM_CANVAS 125

// Images of any size and form, every size made at once, and a cursor's hot spot: the Icon
// Images dialog's controls, the Make All Sizes dialog and the Hot Spot command.
#define CMD_HOT_SPOT 90
#define IDC_ADD_SIZE 130
#define IDC_ADD_FORM 131
#define IDC_IMAGE_ADD 132
#define IDC_CHANGE_FORM 133
#define IDC_MAKE_ALL_SIZES 134
#define IDC_ALL_SIZES_FIRST 140 // one check box a size, the ten ids 140..149 consecutive
