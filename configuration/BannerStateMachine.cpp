#include "BannerStateMachine.h"

#include <algorithm>
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

bool CBannerStateMachine::StartWrite(const std::wstring& text)
{
    if (!IsIdle()) {
        m_result = E_STATE_MACHINE_BUSY;
        SetLastError(E_STATE_MACHINE_BUSY);
        return false;
    }
    std::memset(m_buffer, 0, sizeof m_buffer);
    const int needed = WideCharToMultiByte(CP_THREAD_ACP, 0, text.c_str(), static_cast<int>(text.size()), nullptr,
                                           0, nullptr, nullptr);
    if (needed > 0) {
        std::string bytes(static_cast<size_t>(needed), '\0');
        WideCharToMultiByte(CP_THREAD_ACP, 0, text.c_str(), static_cast<int>(text.size()), bytes.data(), needed,
                            nullptr, nullptr);
        std::memcpy(m_buffer, bytes.data(), std::min<size_t>(bytes.size(), BANNER_LENGTH));
    }
    return Start(m_setQ7Hidden);
}
