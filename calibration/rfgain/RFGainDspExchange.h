// The rules of one DSP command through the radio's "!"/"@" pass-through:
// how the command text is cut into pieces, and what the DSP's two-digit
// replies ("(hh)", collected as hex text) must say.
#pragma once

#include <windows.h>

#include <string>

#include "RFGainTables.h"

// The piece that starts at `position`: 3 characters first (the pass-through
// mark and the command byte), then 2, and a single last one.
size_t DspPieceLength(const std::wstring& text, size_t position);

// 0 when the second reply is the complement of the command byte, else the
// first rule broken: E_DSP_COMMAND_INVALID, E_DSP_RESPONSE_TOO_SHORT,
// E_DSP_RESPONSE_CORRUPT, E_DSP_RESPONSE_NOT_COMPLEMENT. The two bytes are
// set as far as they could be read.
HRESULT VerifyDspResponse(const std::wstring& text, const std::wstring& replyHex, BYTE& command, BYTE& reply);

// The replies after the first two: one signed byte, the level in dBm.
bool ParseSignalLevel(const std::wstring& replyHex, signed char& level);
// The replies after the first two: the 128 table bytes; the table is
// untouched when there are more or fewer.
bool ParseDspTableReply(const std::wstring& replyHex, RFGainTable& table);
