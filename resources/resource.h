// Resource ids shared by the resource scripts and the C++ code.
// Plain #defines only: windres reads this file too.
#pragma once

// Main frame: menu, icon, accelerators and title string share one id.
#define IDR_MAINFRAME                   10000
#define IDR_LICENSE_TEXT                10002
#define RT_LICENSE_TEXT                 256

// Strings: program-wide texts
#define IDS_MAIN_TITLE                  10000
#define IDS_CREATE_FOLDER_CAPTION       10046
#define IDS_CREATE_FOLDER_QUESTION      10050
#define IDS_WIN32_CALL_FAILED           10056
#define IDS_HEX_LOAD_FAILED             10061
#define IDS_TITLE_VERSION               10064
#define IDS_HELP_ERROR_CAPTION          10094
#define IDS_HELP_FILE_UNAVAILABLE       10096
#define IDS_MENU_ABOUT                  10100
#define IDS_MENU_HELP                   10102
#define IDS_MENU_RELEASE_NOTES          10104
#define IDS_OS_VERSION                  10106
#define IDS_RELEASE_NOTES_ERROR_CAPTION 10110
#define IDS_RELEASE_NOTES_OPEN_FAILED   10112
#define IDS_BOOT_LOADER_CONNECTION      10116
#define IDS_STATUS_CAPTION              10120
#define IDS_RUNNING_CONNECTION          10122
#define IDS_NOT_RESPONDING              10124
#define IDS_VERSION_UNKNOWN             10134
#define IDS_VERSION_LOADING             10136
#define IDS_VERSION_NOT_APPLICABLE      10140

// Strings: error-box captions of the tools
#define IDS_CW_MEMORY_ERROR_CAPTION     11022
#define IDS_RF_GAIN_ERROR_CAPTION       12134
#define IDS_MACRO_ERROR_CAPTION         12260
#define IDS_DATE_TIME_CAPTION           13324
#define IDS_BANNER_ERROR_CAPTION        13408
#define IDS_SAVE_CONFIG_ERROR_CAPTION   13554
#define IDS_XTAL_FILTER_ERROR_CAPTION   14101

// Strings: port and contact
#define IDS_PORT_ACCESS_DENIED          14520
#define IDS_UNEXPECTED_DEVICE_CAPTION   14522
#define IDS_UNEXPECTED_DEVICE           14524
#define IDS_COM_PORT_ERROR_CAPTION      14526
#define IDS_CHOOSE_PORT                 14530
#define IDS_CHOOSE_PORT_CAPTION         14532
#define IDS_TIP_CLOSE_PORT              14534
#define IDS_TITLE_PORT_CLOSED           14536
#define IDS_ATTEMPTING_CONTACT          14542
#define IDS_PORT_CLOSED                 14544
#define IDS_PORT_OPEN                   14546
#define IDS_PORT_OPEN_FAILED            14550
#define IDS_OPENING_PORT                14552
#define IDS_CONNECTED                   14553
#define IDS_TITLE_SERIAL_NUMBER         14554
#define IDS_ON_PORT_AT_SPEED            14560
#define IDS_TIP_TEST_COMMUNICATIONS     14562

// Strings: firmware images
#define IDS_RECONCILIATION_FOUND        16020
#define IDS_RECONCILIATION_COMPUTED     16022
#define IDS_RECONCILIATION_ZERO         16024
#define IDS_CHECKSUM_NOT_ZERO           16026

// Strings: frame prompts
#define IDS_READY                       57345
#define ID_APP_ABOUT                    57664
#define ID_APP_EXIT                     57665
