#include "TextUtil.h"

#include <algorithm>
#include <cwctype>

#include "ErrorText.h"

namespace {

const wchar_t kHexDigits[] = L"0123456789ABCDEF";

template <typename Test>
bool AllOf(const std::wstring& text, Test test)
{
    for (wchar_t c : text) {
        if (!test(c))
            return false;
    }
    return true;
}

bool IsDecimalDigit(wchar_t c)
{
    return c >= L'0' && c <= L'9';
}

bool IsHexDigit(wchar_t c)
{
    BYTE nibble;
    return HexDigitValue(c, nibble);
}

bool ParseDecimal(const std::wstring& text, unsigned long limit, unsigned long& value)
{
    unsigned long result = 0;
    bool ok = !text.empty() && IsDecimalDigits(text);
    for (size_t i = 0; ok && i < text.size(); ++i) {
        result = result * 10 + (text[i] - L'0');
        ok = result <= limit;
    }
    if (!ok) {
        SetLastError(ERROR_INVALID_DATA);
        return false;
    }
    value = result;
    return true;
}

}  // namespace

BYTE ByteSum8(const void* buffer, size_t count)
{
    const BYTE* bytes = static_cast<const BYTE*>(buffer);
    BYTE sum = 0;
    for (size_t i = 0; i < count; ++i)
        sum = static_cast<BYTE>(sum + bytes[i]);
    return sum;
}

bool HexDigitValue(wchar_t digit, BYTE& nibble)
{
    if (digit >= L'0' && digit <= L'9')
        nibble = static_cast<BYTE>(digit - L'0');
    else if (digit >= L'A' && digit <= L'F')
        nibble = static_cast<BYTE>(digit - L'A' + 10);
    else if (digit >= L'a' && digit <= L'f')
        nibble = static_cast<BYTE>(digit - L'a' + 10);
    else
        return false;
    return true;
}

bool HexPairToByte(wchar_t high, wchar_t low, BYTE& value)
{
    BYTE h, l;
    if (!HexDigitValue(high, h) || !HexDigitValue(low, l)) {
        SetLastError(E_UNEXPECTED_HEX_CHARACTER);
        return false;
    }
    value = static_cast<BYTE>(h << 4 | l);
    return true;
}

bool ParseHexText(const std::wstring& text, size_t count, BYTE* bytes)
{
    std::vector<BYTE> parsed;
    for (size_t i = 0; i < text.size();) {
        if (iswspace(text[i])) {
            ++i;
            continue;
        }
        BYTE value;
        const wchar_t low = i + 1 < text.size() ? text[i + 1] : L'\0';
        if (!HexPairToByte(text[i], low, value))
            return false;
        // More than asked for: stop before the vector grows with the text.
        if (parsed.size() == count) {
            SetLastError(ERROR_INVALID_DATA);
            return false;
        }
        parsed.push_back(value);
        i += 2;
    }
    if (parsed.size() != count) {
        SetLastError(ERROR_INVALID_DATA);
        return false;
    }
    std::copy(parsed.begin(), parsed.end(), bytes);
    return true;
}

std::wstring BytesToHex(const void* bytes, size_t count)
{
    const BYTE* data = static_cast<const BYTE*>(bytes);
    std::wstring text;
    text.reserve(count * 2);
    for (size_t i = 0; i < count; ++i) {
        text += kHexDigits[data[i] >> 4];
        text += kHexDigits[data[i] & 0x0F];
    }
    return text;
}

bool IsDecimalDigits(const std::wstring& text)
{
    return AllOf(text, IsDecimalDigit);
}

bool IsHexDigits(const std::wstring& text)
{
    return AllOf(text, IsHexDigit);
}

bool ParseByteValue(const std::wstring& text, BYTE& value)
{
    unsigned long result;
    if (!ParseDecimal(text, 0xFF, result))
        return false;
    value = static_cast<BYTE>(result);
    return true;
}

bool ParseWordValue(const std::wstring& text, unsigned short& value)
{
    unsigned long result;
    if (!ParseDecimal(text, 0xFFFF, result))
        return false;
    value = static_cast<unsigned short>(result);
    return true;
}

std::wstring EscapeNonPrintableChar(wchar_t character)
{
    if (character >= L' ' && character <= L'~')
        return std::wstring(1, character);
    const BYTE low = static_cast<BYTE>(character & 0xFF);
    return L"\\x" + BytesToHex(&low, 1);
}

std::wstring EscapeNonPrintable(const std::wstring& text)
{
    std::wstring escaped;
    escaped.reserve(text.size());
    for (wchar_t c : text)
        escaped += EscapeNonPrintableChar(c);
    return escaped;
}

std::vector<std::wstring> SplitString(const std::wstring& text, const std::wstring& separators)
{
    std::vector<std::wstring> pieces;
    size_t start = 0;
    while (start < text.size()) {
        const size_t end = text.find_first_of(separators, start);
        if (end == std::wstring::npos) {
            pieces.push_back(text.substr(start));
            break;
        }
        pieces.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    return pieces;
}
