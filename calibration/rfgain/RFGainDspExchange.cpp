#include "RFGainDspExchange.h"

#include "ErrorText.h"
#include "TextUtil.h"

namespace {

// The two digits the DSP sent with its command's complement.
constexpr size_t kHeaderDigits = 4;

bool PairAt(const std::wstring& text, size_t index, BYTE& value)
{
    return index + 1 < text.size() && HexPairToByte(text[index], text[index + 1], value);
}

}  // namespace

size_t DspPieceLength(const std::wstring& text, size_t position)
{
    if (position >= text.size())
        return 0;
    if (position == 0 && text.size() > 2)
        return 3;
    return std::min<size_t>(2, text.size() - position);
}

HRESULT VerifyDspResponse(const std::wstring& text, const std::wstring& replyHex, BYTE& command, BYTE& reply)
{
    if (text.size() < 4 || !PairAt(text, 1, command))
        return E_DSP_COMMAND_INVALID;
    if (replyHex.size() + 4 < text.size() - 2)
        return E_DSP_RESPONSE_TOO_SHORT;
    if (!PairAt(replyHex, 2, reply))
        return E_DSP_RESPONSE_CORRUPT;
    if (((command + reply) & 0xFF) != 0xFF)
        return E_DSP_RESPONSE_NOT_COMPLEMENT;
    if (replyHex.size() % 2 != 0 || !IsHexDigits(replyHex))
        return E_DSP_RESPONSE_CORRUPT;
    return 0;
}

bool ParseSignalLevel(const std::wstring& replyHex, signed char& level)
{
    BYTE value = 0;
    if (replyHex.size() != kHeaderDigits + 2 || !PairAt(replyHex, kHeaderDigits, value))
        return false;
    level = static_cast<signed char>(value);
    return true;
}

bool ParseDspTableReply(const std::wstring& replyHex, RFGainTable& table)
{
    if (replyHex.size() != kHeaderDigits + 2 * table.size())
        return false;
    return ParseHexText(replyHex.substr(kHeaderDigits), table.size(), table.data());
}
