// What the program knows about the radio at the other end of the line.
#pragma once

// The word the texts use for the radio ("%s MCU version %s").
inline constexpr const wchar_t* kDeviceWord = L"Q7";

enum ZentrovaDevice : unsigned char {
    DEVICE_UNKNOWN = 0,
    DEVICE_Q7 = 1,
    DEVICE_MV9 = 2,
    DEVICE_TRV770 = 3,
    DEVICE_WLT330 = 4,
    DEVICE_N8 = 6,
    DEVICE_ZRB4400 = 9,
    DEVICE_NZ6 = 12,
    DEVICE_MV8 = 14,
    DEVICE_HBX2800 = 15,
    DEVICE_LD6 = 17,
};

enum FirmwareStatusEnum : int {
    FIRMWARE_STATUS_UNKNOWN = 0,
    FIRMWARE_STATUS_BOOT_LOADER = 1,  // waiting for a firmware load
    FIRMWARE_STATUS_RUNNING = 2,
};

enum SubRxFlag : unsigned char {
    SUBRX_UNKNOWN = 0,
    SUBRX_NOT_INSTALLED = 1,
    SUBRX_INSTALLED = 2,
};

// Elements of the firmware-version observable; 4 and 5 carry no version.
enum FirmwareVersionIndex : unsigned {
    VERSION_MCU = 0,
    VERSION_DSP1 = 1,
    VERSION_FPF = 2,
    VERSION_DSP2 = 3,
    VERSION_DVR = 6,
    VERSION_N8_MCU = 7,
    VERSION_COUNT = 8,
};

// A version is major x 100 + minor; these values stand for no version.
inline constexpr unsigned short VERSION_UNREAD = 0;
inline constexpr unsigned short VERSION_LOADING = 0xFFFE;
inline constexpr unsigned short VERSION_NOT_APPLICABLE = 9999;

inline constexpr unsigned short SERIAL_NUMBER_UNKNOWN = 0xFFFF;

// MCU firmware from which the EEPROM is read in blocks and the command mode
// is no longer switched.
inline constexpr unsigned short MCU_BLOCK_EEPROM_VERSION = 383;
// MCU firmware from which the radio answers "OM;".
inline constexpr unsigned short MCU_OPTION_MODULE_VERSION = 245;
