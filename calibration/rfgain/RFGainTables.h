// The RF gain table of a receiver: 128 opaque bytes that the radio's DSP
// computes and uses and its EEPROM keeps. Where a table lives, the factory
// default, the registry values a technician may leave, the DSP commands that
// carry it, and the report that sets the DSP's copy beside the EEPROM's.
#pragma once

#include <windows.h>

#include <array>
#include <string>
#include <vector>

inline constexpr unsigned RF_GAIN_TABLE_SIZE = 128;
using RFGainTable = std::array<BYTE, RF_GAIN_TABLE_SIZE>;

// Receiver 0 is the main receiver, 1 the second one.
enum : BYTE { RFGC_MAIN_RX = 0, RFGC_SUB_RX = 1 };

// Built in, used for both receivers.
extern const RFGainTable kFactoryRFGainTable;

// 0x4D00 for the main receiver, 0x4D80 for the second.
unsigned RFGainTableAddress(BYTE receiver);

// "RFGainCalibrationSubRXTable" for receiver 1, else the main receiver's.
const wchar_t* RFGainRegistryValueName(BYTE receiver);
// The receiver's registry value, 128 hex pairs (white space between pairs,
// either case), into `table`; false (the table untouched) for a value that
// is missing or holds anything else.
bool LoadRFGainRegistryTable(BYTE receiver, RFGainTable& table);

// "!bb00" and 256 "0" then ";": the DSP answers with its table.
std::wstring DspTableReadCommand();
// "!bc", the table as 256 upper-case hex digits, ";".
std::wstring DspTableWriteCommand(const RFGainTable& table);

// Groups of 8 hex digits, four to a line, each line ended by "\n", and one
// more "\n" at the end.
std::wstring FormatTableDump(const RFGainTable& table);
// The report's pieces in order: "identical" and one dump, or "differ" and
// both dumps.
std::vector<std::wstring> FormatTableComparison(const RFGainTable& dsp, const RFGainTable& eeprom);
// Appends the report at the end of a rich-edit log, piece by piece.
void CompareTables(HWND richEdit, const RFGainTable& dsp, const RFGainTable& eeprom);
