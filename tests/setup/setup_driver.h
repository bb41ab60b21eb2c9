// Drives a running setup.exe from another process, as a user would: finds its windows and
// presses its buttons. Shared by the installation test and the screenshot poser.
#pragma once
#include "program_driver.h"

// Takes setup from its start screen through the welcome dialog to the agreement; the
// agreement window, or none if a step did not come.
HWND DriveToAgreement(const PROCESS_INFORMATION& process, HWND* mainWindow);
