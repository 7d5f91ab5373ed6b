// Resource ids shared by the resource scripts and the C++ code.
// Plain #defines only: windres reads this file too.
#pragma once

// Main frame: menu, icon, accelerators and title string share one id.
#define IDR_MAINFRAME                   10000
#define IDR_LICENSE_TEXT                10002
#define RT_LICENSE_TEXT                 256
// Right-click menu of the output windows.
#define IDR_EDIT_CONTEXT_MENU           10030

// Main frame menu and accelerator commands
#define ID_PORT_MENU_FIRST              30000
#define ID_PORT_MENU_LAST               30255
#define ID_HELP_RELEASE_NOTES           32778
#define ID_HELP_CONTENTS                32780
#define ID_VIEW_VERBOSE_LOGGING         32782
#define ID_VIEW_ADVANCED_MODE           32784
#define ID_VIEW_ACCESSIBILITY           32786
#define ID_VIEW_TRACE                   32788
#define ID_NEXT_PANE                    57680
#define ID_PREV_PANE                    57681
// Also the status bar's control id.
#define ID_VIEW_STATUS_BAR              59393

// Edit commands of the output windows
#define ID_EDIT_CLEAR                   57632
#define ID_EDIT_CLEAR_ALL               57633
#define ID_EDIT_COPY                    57634
#define ID_EDIT_CUT                     57635
#define ID_EDIT_PASTE                   57637
#define ID_EDIT_SELECT_ALL              57642
#define ID_EDIT_UNDO                    57643
#define ID_EDIT_REDO                    57644

// Controls shared by several dialogs
#ifndef IDC_STATIC
#define IDC_STATIC                      (-1)
#endif
#define IDC_CLEAR                       10010
#define IDC_RICH_EDIT                   10016
#define IDC_PLACEHOLDER                 10018

// About box, licence viewer, release-notes viewer
#define IDC_VIEW_LICENSE                10014
#define IDC_ABOUT_TEXT                  10019
#define IDD_ABOUT                       10020
#define IDD_LICENSE                     10024
#define IDD_RELEASE_NOTES               10026

// Port page
#define IDD_PORT                        14500
#define IDC_PORT_LABEL                  14502
#define IDC_PORT_COMBO                  14504
#define IDC_SPEED_COMBO                 14505
#define IDC_TEST_COMMUNICATIONS         14506
#define IDC_CLOSE_PORT                  14508

// Firmware page
#define IDD_FIRMWARE                    15000
#define IDC_BROWSE_FOLDER               15010
#define IDC_CHECK_VERSIONS              15012
#define IDC_DEFAULT_FOLDER              15014
#define IDC_COPY_NEW_FILES              15016
#define IDC_SEND_ALL                    15020
#define IDC_SEND_NEW                    15021
#define IDC_LOAD_MCU                    15030
#define IDC_LOAD_DSP1                   15031
#define IDC_LOAD_FPF                    15032
#define IDC_LOAD_DSP2                   15033
#define IDC_LOAD_DATA_TABLES            15034
#define IDC_FIRMWARE_FOLDER             15040
#define IDC_AVAILABLE_MCU               15060
#define IDC_AVAILABLE_DSP1              15061
#define IDC_AVAILABLE_FPF               15062
#define IDC_AVAILABLE_DSP2              15063
#define IDC_INSTALLED_MCU               15070
#define IDC_INSTALLED_DSP1              15071
#define IDC_INSTALLED_FPF               15072
#define IDC_INSTALLED_DSP2              15073
#define IDC_INSTALLED_DVR               15076
#define IDC_INSTALLED_LABEL             15090
#define IDC_LOAD_LABEL                  15092

// Configuration page
#define IDD_CONFIGURATION               13700
#define IDC_EDIT_CW_MEMORIES            11000
#define IDC_SET_DATE_TIME               13300
#define IDC_EDIT_BANNER                 13400
#define IDC_RESTORE_CONFIGURATION       13500
#define IDC_SAVE_CONFIGURATION          13504
#define IDC_CONFIGURE_XTAL_FILTERS      14000

// Calibration page
#define IDD_CALIBRATION                 13600
#define IDC_CALIBRATE_TX_GAIN           13602
#define IDC_CALIBRATE_RF_GAIN           13620
#define IDC_TX_GAIN_SUMMARY             13624

// Calibration page's tool tips
#define IDS_TIP_TX_GAIN                 13604
#define IDS_TIP_RF_GAIN                 13622
#define IDS_TIP_TX_GAIN_SUMMARY         13626

// The calibration wizards' pictures
#define IDB_CALIBRATION_WAVE            13001
#define IDB_CALIBRATION_METER           13005
// Controls the calibration wizards share: "Click Next to continue", the
// exterior pages' title and text, and their bullets (13030, 13032, ...)
// each followed by its line (13031, 13033, ...)
#define IDC_CLICK_NEXT                  13020
#define IDC_BULLET_FIRST                13030
#define IDC_WIZARD_TEXT                 13045
#define IDC_WIZARD_TITLE                13047

// TX gain wizard and summary
#define IDD_TXGC_SUMMARY                13100
#define IDD_TXGC_COMPLETION             13101
#define IDD_TXGC_CALIBRATE_5W           13102
#define IDD_TXGC_CALIBRATE_50W          13104
#define IDD_TXGC_CALIBRATE_1MW          13106
#define IDD_TXGC_CALIBRATE_TECH         13108
#define IDD_TXGC_DUMMY_LOAD             13110
#define IDD_TXGC_DUMMY_LOAD_XQ6T        13112
#define IDD_TXGC_WELCOME                13114
#define IDD_TXGC_WELCOME_TECH           13116
#define IDC_TXGC_CALIBRATE              13010
#define IDC_TXGC_LOG                    13012
#define IDC_TXGC_ANT1                   13014
#define IDC_TXGC_ANT2                   13015
#define IDC_TXGC_XVTR_NOTE              13022
#define IDC_TXGC_DUMMY_LOAD_TEXT        13024
#define IDC_TXGC_COMPLETION_LOG         13049
#define IDS_TXGC_TITLE                  13120
#define IDS_TXGC_CANNOT_OPEN_SUMMARY    13132
#define IDS_TXGC_CONNECT_DUMMY_LOAD     13136
#define IDS_TXGC_NOTHING_ATTEMPTED      13190

// RF gain wizard: its pages, main receiver then second, and their controls
#define IDD_RFGC_WELCOME                12000
#define IDD_RFGC_CHOOSE_SOURCE          12002
#define IDD_RFGC_SIG_GEN                12004
#define IDD_RFGC_MAIN_KNOBS             12010
#define IDD_RFGC_MAIN_RX                12012
#define IDD_RFGC_MAIN_SIG_GEN_HIGH      12014
#define IDD_RFGC_MAIN_RX_HIGH           12016
#define IDD_RFGC_MAIN_DISPLAY           12018
#define IDD_RFGC_SUB_KNOBS              12020
#define IDD_RFGC_SUB_RX                 12022
#define IDD_RFGC_SUB_SIG_GEN_HIGH       12024
#define IDD_RFGC_SUB_RX_HIGH            12026
#define IDD_RFGC_SUB_DISPLAY            12028
#define IDD_RFGC_COMPLETION             12030
#define IDC_RFGC_CALIBRATE              12040
#define IDC_RFGC_DISPLAY                12041
#define IDC_RFGC_LOG                    12042
// The sources in the order of RFGCSource: computed, factory, current, registry.
#define IDC_RFGC_COMPUTED               12044
#define IDC_RFGC_FACTORY                12045
#define IDC_RFGC_CURRENT                12046
#define IDC_RFGC_REGISTRY               12047
#define IDC_RFGC_INSTRUCTION            12052
#define IDS_RFGC_TITLE                  12060
#define IDS_RFGC_CLICK_COMPUTE          12106
#define IDS_RFGC_CLICK_CURRENT          12110
#define IDS_RFGC_CLICK_FACTORY          12112
#define IDS_RFGC_CLICK_REGISTRY         12114
#define IDS_RFGC_DATA_ZERO              12122
// Dialog 12030's words, told when the wizard ends before its Finish.
#define IDS_RFGC_TX_TEST_NOTICE         12178
#define IDS_RFGC_TABLE_INCOMPLETE       12180
#define IDS_RFGC_TABLE_STORED           17202

// TX gain calibration: the machine's log lines, the data file
#define IDS_TXGC_FILE_ERROR             13122
#define IDS_TXGC_VERIFY_DUMMY_LOAD      13130
#define IDS_TXGC_POWER_SETTLED          13134
#define IDS_TXGC_CALIBRATING_AT         13138
#define IDS_TXGC_SWR_TOO_HIGH           13140
#define IDS_TXGC_OUT_OF_BAND            13142
#define IDS_TXGC_START_5W               13150
#define IDS_TXGC_FAILED_5W              13152
#define IDS_TXGC_SUCCEEDED_5W           13154
#define IDS_TXGC_START_50W              13160
#define IDS_TXGC_FAILED_50W             13162
#define IDS_TXGC_SUCCEEDED_50W          13164
#define IDS_TXGC_REQUIRES_XQ6T_NOR      13170
#define IDS_TXGC_REQUIRES_BH7W_NOR      13172
#define IDS_TXGC_START_1MW              13180
#define IDS_TXGC_FAILED_1MW             13182
#define IDS_TXGC_SUCCEEDED_1MW          13184
#define IDS_TXGC_REQUIRES_TX_NORM       13192
#define IDS_TXGC_TRANSMIT_STOPPED       13194
#define IDS_TXGC_POWER_NOT_SETTLED      13196
#define IDS_TXGC_MAY_BE_TRANSMITTING    13198

// Command Tester page; macro buttons 11211-11242
#define IDD_COMMAND_TESTER              11200
#define IDC_EDIT_MACROS                 11201
#define IDC_MACRO_FIRST                 11211
#define IDC_MACRO_LAST                  11242
#define IDC_COMMAND_EDIT                11250
#define IDC_COMMAND_LABEL               11252

// Terminal page; memory buttons 12531-12546
#define IDD_TERMINAL                    12500
#define IDC_MODE_CW                     12510
#define IDC_MODE_RTTY                   12511
#define IDC_MODE_PSK                    12512
#define IDC_TRANSMIT                    12520
#define IDC_EDIT_MEMORIES               12522
#define IDC_PROSIGNS                    12524
#define IDC_TERMINAL_OPTIONS            12526
#define IDC_MEMORY_FIRST                12531
#define IDC_MEMORY_LAST                 12546

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
// Firmware images: a reconciliation address the image does not hold
#define IDS_RECONCILIATION_OUTSIDE      16028

// Command Tester and macro editor
#define IDC_READ_MACROS                 11203
#define IDC_WRITE_MACROS                11205
#define IDD_MACROS_PAGE1                11300
#define IDD_MACROS_PAGE2                11301
#define IDC_MACRO_LABEL_FIRST           11311
#define IDC_MACRO_TEXT_FIRST            11351
#define IDS_MACRO_SHEET_TITLE           11254
#define IDS_DEFAULT_MACRO_LABEL         11262
#define IDS_MACRO_LABEL_TOO_LONG        11264
#define IDS_MACRO_LABEL_LENGTH_CAPTION  11266
#define IDS_MACRO_TEXT_TOO_LONG         11270
#define IDS_MACRO_TEXT_LENGTH_CAPTION   11272

// Strings: frame prompts
#define IDS_READY                       57345
#define ID_APP_ABOUT                    57664
#define ID_APP_EXIT                     57665

// Firmware page, loader dialogs and loaders
#define IDD_LOADER                      16000
#define IDC_LOADER_PROGRESS             16010
#define IDS_CLICK_CLOSE                 10042
#define IDS_CLOSE                       10044
#define IDS_CRITICAL_OPERATION          10052
#define IDS_ELAPSED_TIME                10054
#define IDS_TIP_BROWSE_FOLDER           15094
#define IDS_TIP_CHECK_VERSIONS          15096
#define IDS_SELECT_FIRMWARE_FOLDER      15100
#define IDS_TIP_DEFAULT_FOLDER          15102
#define IDS_FIRMWARE_ERROR_CAPTION      15104
#define IDS_SENDING_FIRMWARE_FROM       15106
#define IDS_TIP_COPY_NEW_FILES          15110
#define IDS_TIP_LOAD_DSP1               15112
#define IDS_TIP_LOAD_DSP2               15114
#define IDS_TIP_LOAD_FPF                15116
#define IDS_TIP_LOAD_MCU                15120
#define IDS_FILE_MISSING                15122
#define IDS_REQUIRED_FILES_MISSING      15124
#define IDS_SECOND_RECEIVER_REQUIRED    15130
#define IDS_OPTION_REQUIRED_CAPTION     15136
#define IDS_SEND_ALL_FIRMWARE           15140
#define IDS_SEND_CHECKED_ITEMS          15142
#define IDS_MCU_FILE_TOO_OLD            15146
#define IDS_CLOSE_WHILE_SENDING         16030
#define IDS_LOAD_COMPLETE               16032
#define IDS_LOAD_ERROR_CODE             16040
#define IDS_NO_D_ECHO                   16042
#define IDS_N8_DETECTED_CAPTION         16044
#define IDS_N8_SWITCH_OFF               16046
#define IDS_NO_COMPLETE_FIRMWARE        16048
#define IDS_RETRY_SUCCESSFUL_FILL       16050
#define IDS_HIGHEST_RETRIES             16052
#define IDS_RETRY_SUCCEEDED             16054
#define IDS_TOTAL_RETRIES               16056
#define IDS_SEND_FAILED_AT              16060
#define IDS_SENDING_FIRMWARE_FILE       16062
#define IDS_SENDING_FIRMWARE_TITLE      16064
#define IDS_VERSION_MISMATCH            16070
#define IDS_VERSION_VERIFIED            16072
#define IDS_VERSION_VERIFY_FAILED       16074
#define IDS_WAITING_FOR_RESET           16080
#define IDS_ERASING_PROGRAM             16034
#define IDS_ERASING_PROGRAM_AND_TABLE   16036
#define IDS_DSP_PACKET_TRACE            16066
#define IDS_WAITING_FOR_ERASE           16076
// Firmware download
#define IDD_FIRMWARE_DOWNLOAD           10022
#define IDS_FTP_FILE_VERIFIED           10060
#define IDS_FTP_VERIFY_FAILED           10062
#define IDS_FTP_AGENT                   10066
#define IDS_FTP_COMPLETED_WITH_ERROR    10070
#define IDS_FTP_CONNECTED               10072
#define IDS_FTP_COPIED_FILE             10074
#define IDS_FTP_COPIED_FILES            10076
#define IDS_FTP_COPYING_TO              10080
#define IDS_FTP_FOUND                   10082
#define IDS_FTP_SKIPPED                 10083
#define IDS_FTP_NAVIGATE                10084
#define IDS_FTP_UNABLE_TO_COPY          10086
#define IDS_FTP_OPEN_CONNECTION         10090
#define IDS_FIRMWARE_SERVER             10092

// Configuration tools: power-on banner, date and time
#define IDD_DATE_TIME                   13304
#define IDC_DATE_TIME_UTC               13306
#define IDC_DATE_TIME_LOCAL             13307
#define IDC_RADIO_DATE                  13308
#define IDC_RADIO_TIME                  13310
#define IDC_PC_DATE                     13312
#define IDC_PC_TIME                     13314
#define IDD_POWER_ON_BANNER             13402
#define IDC_BANNER_TEXT                 13404
#define IDS_BANNER_SHEET_CAPTION        13406
#define IDS_SAVE                        10114
// Configuration save and restore, and the Configuration page's tool tips
#define IDD_CONFIG_RESTORE              13510
#define IDD_CONFIG_SAVE                 13512
#define IDC_CONFIG_PROGRESS             16010
#define IDS_TIP_RESTORE_CONFIGURATION   13502
#define IDS_TIP_SAVE_CONFIGURATION      13506
#define IDS_CONFIG_FILE_FILTER          13514
#define IDS_INTERRUPT_RESTORE_QUESTION  13516
#define IDS_RESTORE_CANCELLED           13520
#define IDS_RESTORE_CONFIG_ERROR_CAPTION 13522
#define IDS_RESTORE_INTERRUPTED         13524
#define IDS_RESTORE_FAILED              13526
#define IDS_RESTORE_HALF_WRITTEN        17200
#define IDS_CONFIG_FILE_ALTERED         13530
#define IDS_CONFIG_FILE_INCOMPLETE      13532
#define IDS_CONFIG_FILE_READ_ERROR      13534
#define IDS_CONFIG_LINE_UNPARSED        13536
#define IDS_SERIAL_MISMATCH_CAPTION     13540
#define IDS_SERIAL_MISMATCH_STOP        13542
#define IDS_SERIAL_MISMATCH_ASK         13544
#define IDS_SERIAL_LINE_UNPARSED        13546
#define IDS_CONFIG_RESTORED             13550
#define IDS_SAVE_CANCELLED              13552
#define IDS_CONFIG_FILE_SAVED_ON        13556
#define IDS_CONFIG_FILE_DO_NOT_EDIT     13560
#define IDS_CONFIG_FILE_FRONT_PANEL     13562
#define IDS_SAVE_FAILED                 13564
#define IDS_CLOSE_WHILE_SAVING          17000
#define IDS_CONFIG_FILE_WRITE_ERROR     13566
#define IDS_CONFIG_SAVED                13570
#define IDS_TIP_SET_DATE_TIME           13732
// Terminal page panes, memories and options dialogs
#define IDC_HELP_BUTTON                 10012
#define IDC_TRANSMIT_PANE               12550
#define IDC_RECEIVE_PANE                12552
#define IDC_MEMORY_LABEL_HEADING        12554
#define IDC_MEMORY_TEXT_HEADING         12556
#define IDD_TERMINAL_MEMORIES           12700
#define IDC_MEMORY_LABEL_FIRST          12710
#define IDC_MEMORY_TEXT_FIRST           12750
#define IDD_TERMINAL_OPTIONS            12800
#define IDC_TERMINAL_FONT               12802
#define IDC_IDLE_TIMEOUT                12804
#define IDS_TIP_CLEAR_OUTPUT            10040
#define IDS_PRESS_CTRL_T                12558
#define IDS_TRANSMIT                    12560
#define IDS_STOP_TRANSMIT               12562
#define IDS_TIP_EDIT_MEMORIES           12564
#define IDS_TIP_TERMINAL_OPTIONS        12566
#define IDS_TIP_TRANSMIT                12568
#define IDS_EDIT_PSK_MEMORIES           12791
#define IDS_EDIT_RTTY_MEMORIES          12792
#define IDS_EDIT_CW_MEMORIES            12793
#define IDS_MEMORY_CAPTION              12806

// Configuration tools: CW memories; memory edits 11010-11017
#define IDD_CW_MEMORY                   11002
#define IDC_CW_BANK1                    11004
#define IDC_CW_BANK2                    11006
#define IDC_CW_LEGEND                   11008
#define IDC_CW_LEGEND2                  11009
#define IDC_CW_MEMORY_FIRST             11010
#define IDS_CW_CANCEL_WRITE_QUERY       11020
#define IDS_READING_CW_MEMORIES         11024
#define IDS_WRITING_CW_MEMORIES         11026
#define IDS_UNSAVED_CHANGES_QUERY       10130
#define IDS_UNSAVED_CHANGES_CAPTION     10132

// Configuration tools: crystal filters (slot s: 14011+s ... 14171+s)
#define IDD_XTAL_FILTER                 14002
#define IDD_XTAL_FILTER_ACCESSIBLE      14004
#define IDC_FILTER_APPLY                14006
#define IDC_FILTER_AM_FIRST             14011
#define IDC_FILTER_CW_FIRST             14021
#define IDC_FILTER_DATA_FIRST           14031
#define IDC_FILTER_FM_FIRST             14041
#define IDC_FILTER_LSB_FIRST            14051
#define IDC_FILTER_USB_FIRST            14061
#define IDC_FILTER_GAIN_FIRST           14071
#define IDC_FILTER_OFFSET_FIRST         14081
#define IDC_FILTER_BANDWIDTH_FIRST      14091
#define IDS_FILTER_SLOT_EMPTY           14103
#define IDC_FILTER_MAIN                 14105
#define IDC_FILTER_SUB                  14106
#define IDC_FILTER_TX_AM_FIRST          14111
#define IDC_FILTER_TX_CW_FIRST          14121
#define IDC_FILTER_TX_FM                14131
#define IDC_FILTER_TX_SSB_FIRST         14141
#define IDC_FILTER_GAIN_SPIN_FIRST      14151
#define IDC_FILTER_OFFSET_SPIN_FIRST    14161
#define IDC_FILTER_BANDWIDTH_SPIN_FIRST 14171
#define IDC_FILTER_TX_AM_LABEL          14181
#define IDC_FILTER_TX_CW_LABEL          14182
#define IDC_FILTER_TX_FM_LABEL          14183
#define IDC_FILTER_TX_SSB_LABEL         14184
#define IDS_TIP_FILTER_APPLY            14191
#define IDS_TIP_FILTER_GAIN             14192
#define IDS_TIP_FILTER_OFFSET           14193
#define IDS_FILTER_TOO_WIDE_FOR_CW      14194
#define IDS_TIP_FILTER_TX_AM            14201
#define IDS_TIP_FILTER_TX_AM_WIDE       14202
#define IDS_TIP_FILTER_TX_CW            14203
#define IDS_TIP_FILTER_TX_FM            14204
#define IDS_TIP_FILTER_TX_SSB           14205
#define IDS_TIP_FILTER_BANDWIDTH        14206
#define IDS_FILTER_FM_POSITION          14212
#define IDS_FILTER_TX_CW_SSB            14213
#define IDS_FILTER_TX_AM                14214
#define IDS_FILTER_TX_AM_WIDE           14215
#define IDS_FILTER_PARTLY_WRITTEN       17201

// RF gain calibration: the machine's progress and trace texts
#define IDS_RFGC_SIGNAL_LEVEL           12062
#define IDS_RFGC_USING_REGISTRY_VALUE   12064
#define IDS_RFGC_VERIFY_PASSED          12065
#define IDS_RFGC_VERIFY_FAILED          12066
#define IDS_RFGC_AUTO_INFO_OFF          12067
#define IDS_RFGC_ANTENNA_1              12068
#define IDS_RFGC_ATTENUATOR_OFF         12070
#define IDS_RFGC_ATTENUATOR_ON          12080
#define IDS_RFGC_ATU_BYPASS             12082
#define IDS_RFGC_MEASURE_BASE           12084
#define IDS_RFGC_MEASURE_PREAMP         12090
#define IDS_RFGC_MEASURE_ATTENUATOR     12092
#define IDS_RFGC_MEASURE_PREAMP_ATTENUATOR 12094
#define IDS_RFGC_COMPUTE_LOW            12096
#define IDS_RFGC_COMPUTE_HIGH           12100
#define IDS_RFGC_BSET_OFF               12102
#define IDS_RFGC_BSET_ON                12104
#define IDS_RFGC_COPY_VFO_A_TO_B        12115
#define IDS_RFGC_CW_TUNE_OFF            12116
#define IDS_RFGC_CW_TUNE_ON             12120
#define IDS_RFGC_WAIT_FOR_TABLE         12124
#define IDS_RFGC_DELAY                  12126
#define IDS_RFGC_READ_DSP_TABLE         12130
#define IDS_RFGC_WRITE_DSP_TABLE        12132
#define IDS_RFGC_FACTORY_TABLE          12136
#define IDS_RFGC_FILTER_100_HZ          12140
#define IDS_RFGC_MODE_CW                12142
#define IDS_RFGC_NOTCH_OFF              12144
#define IDS_RFGC_NOISE_REDUCTION_OFF    12146
#define IDS_RFGC_PREAMP_OFF             12150
#define IDS_RFGC_PREAMP_ON              12152
#define IDS_RFGC_READ_EEPROM_TABLE      12154
#define IDS_RFGC_WRITE_EEPROM_TABLE     12156
#define IDS_RFGC_READ_SIGNAL_LEVEL      12160
#define IDS_RFGC_RF_GAIN_MAXIMUM        12162
#define IDS_RFGC_RX_ANTENNA_OFF         12164
#define IDS_RFGC_SQUELCH_OFF            12166
#define IDS_RFGC_SUB_ANTENNA_MAIN       12168
#define IDS_RFGC_SUB_RX_OFF             12170
#define IDS_RFGC_SUB_RX_ON              12172
#define IDS_RFGC_TX_TEST                12174
#define IDS_RFGC_UNLINK_VFOS            12176
#define IDS_RFGC_NORMALIZE_FILTER       14143

// Outside data refused or kept aside
#define IDS_FILE_TOO_LARGE              17300
#define IDS_TXGC_BLOCK_KEPT_BESIDE      17301
#define IDS_TXGC_OLDER_IN_FILE          17302
// Calibrations: the settings a restore could not put back, named for the
// user; the RF gain calibration's switches, which have no no-response text
#define IDS_NOT_PUT_BACK                17100
#define IDS_SETTING_MENU                17101
#define IDS_RFGC_SWITCH_ON              17104
#define IDS_RFGC_SWITCH_OFF             17105
#define IDS_RFGC_NAME_ATU               17110
#define IDS_RFGC_NAME_RX_ANTENNA        17111
#define IDS_RFGC_NAME_NOISE_REDUCTION   17112
#define IDS_RFGC_NAME_NOTCH             17113
#define IDS_RFGC_NAME_CW_TUNE           17114
#define IDS_RFGC_NAME_BSET              17115
#define IDS_RFGC_NAME_SUB_NOISE_REDUCTION 17116
#define IDS_RFGC_NAME_SUB_ANTENNA_MAIN  17117
