// Control, command and string ids the installer's code and its resource script share.
#pragma once

#define IDC_NEXT 200 // "Next", later "I Agree"
#define IDC_EXIT 210

// Commands the main window gives itself (and the welcome dialog gives it).
#define CMD_SHOW_WELCOME 20
#define CMD_SHOW_AGREEMENT 21
#define CMD_START_INSTALL 24

#define IDS_AGREEMENT_CAPTION 1
#define IDS_AGREEMENT_EN 2
#define IDS_AGREEMENT_JP 3
