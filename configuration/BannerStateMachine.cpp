#include "BannerStateMachine.h"

#include <cstring>
#include <string>

std::wstring BannerBufferText(const BYTE* buffer)
{
    const int length = static_cast<int>(strnlen(reinterpret_cast<const char*>(buffer), BANNER_LENGTH + 1));
    if (length == 0)
        return {};
    const char* text = reinterpret_cast<const char*>(buffer);
    const int wide = MultiByteToWideChar(CP_THREAD_ACP, 0, text, length, nullptr, 0);
    if (wide <= 0)
        return {};
    std::wstring result(static_cast<size_t>(wide), L'\0');
    MultiByteToWideChar(CP_THREAD_ACP, 0, text, length, result.data(), wide);
    return result;
}

std::string BannerBytes(const std::wstring& text, UINT codePage)
{
    std::string bytes;
    for (size_t i = 0; i < text.size();) {
        const int units = IS_HIGH_SURROGATE(text[i]) && i + 1 < text.size() && IS_LOW_SURROGATE(text[i + 1]) ? 2 : 1;
        char character[8];
        const int length = WideCharToMultiByte(codePage, 0, text.data() + i, units, character, sizeof character,
                                               nullptr, nullptr);
        if (length <= 0 || bytes.size() + static_cast<size_t>(length) > BANNER_LENGTH)
            break;
        bytes.append(character, static_cast<size_t>(length));
        i += static_cast<size_t>(units);
    }
    return bytes;
}

bool CBannerStateMachine::StartWrite(const std::wstring& text)
{
    // The buffer is filled only once the machine is known to be idle.
    return Start(m_setQ7Hidden, [&] {
        std::memset(m_buffer, 0, sizeof m_buffer);
        const std::string bytes = BannerBytes(text, CP_THREAD_ACP);
        std::memcpy(m_buffer, bytes.data(), bytes.size());
        return HRESULT(0);
    });
}
