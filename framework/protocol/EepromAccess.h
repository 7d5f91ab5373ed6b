// The radio's EEPROM: its regions, where each known item lies, and the text
// of the block ("ER"/"EW") and byte ("LDPR"/"LDPW") commands.
#pragma once

#include <windows.h>

#include <string>

inline constexpr unsigned EEPROM_SIZE = 0x8400;
// The longest block of one "ER"/"EW" command.
inline constexpr unsigned EEPROM_CHUNK = 64;

bool IsValidEepromRange(unsigned address, unsigned length);
// The range lies inside one region (it may not span two adjacent ones).
bool InReadableEepromRegion(unsigned address, unsigned length);
bool InWritableEepromRegion(unsigned address, unsigned length);

// The regions a configuration file holds.
unsigned GetSavedRegionCount();
unsigned GetSavedRegionStart(unsigned index);
unsigned GetSavedRegionLength(unsigned index);
unsigned GetSavedByteCount();

unsigned GetSubRXInstallAddress();
unsigned GetTXCWFilterAddress();
unsigned GetTXSSBFilterAddress();
unsigned GetTXAMFilterAddress();
unsigned GetQ7ZeroAddress();
unsigned GetFilterBandwidthAddress(unsigned receiver);
unsigned GetFilterOffsetAddress(unsigned receiver);
unsigned GetFilterModeMapAddress(unsigned receiver);
unsigned GetFilterGainAddress(unsigned receiver);
unsigned GetCWMemoryAddress(unsigned memory);
unsigned GetMainRXGainTableAddress();
unsigned GetSubRXGainTableAddress();
unsigned GetMacroCaptionAddress(unsigned macro);
unsigned GetMacroTextAddress(unsigned macro);
unsigned GetBannerAddress();
unsigned GetSerialNumberAddress();

// Block commands: "ER"/"EW", address, count, [data,] checksum.
std::wstring FormatErCommand(unsigned address, unsigned count);
std::wstring FormatEwCommand(unsigned address, const BYTE* data, unsigned count);
// The data of a block-read reply reach `destination` only when every check
// passes; at most `capacity` bytes.
bool ParseErReply(const std::wstring& command, const std::wstring& reply, unsigned capacity, BYTE* destination);
bool ParseEwReply(const std::wstring& command, const std::wstring& reply);

// Byte commands with decimal fields; empty for an address outside the range
// of their direction.
std::wstring FormatLdprCommand(unsigned address);
std::wstring FormatLdprReply(unsigned address, unsigned value);
std::wstring FormatLdpwCommand(unsigned address, unsigned value);
bool ParseLdprReply(const std::wstring& command, const std::wstring& reply, BYTE* value);
