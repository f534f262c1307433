// Ids of the main window's resources, shared by the resource script and the code.
#pragma once

#define IDR_APP_ICON 128
#define IDI_TRAY_ICON 142
#define IDR_TRAY_MENU 140
#define IDD_MAIN_WINDOW 102
#define IDD_CERT_DOWNLOADING 161
#define IDC_DOWNLOADING_MESSAGE 1000
#define ID_TRAY_WIZARD 32777
#define ID_TRAY_RECHECK 32778
#define ID_TRAY_QUICK_LINKS 32779
#define ID_TRAY_EXIT 32780
