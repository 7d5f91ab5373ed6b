#include "StateMachine.h"

bool CStateHost2::Cancel()
{
    if (IsIdle())
        return false;
    if (!IsFailure(m_result))
        m_result = ERROR_CANCELLED;
    return true;
}

void CStateHost2::Log(TextOrId text)
{
    const std::wstring line = text.Text();
    if (m_owner)
        SendMessageW(m_owner, WM_APP_LOG_TEXT, 0, reinterpret_cast<LPARAM>(line.c_str()));
}

void CStateHost2::OnFinished()
{
    GetModel().MachineFinished.SendToListeners(static_cast<WPARAM>(m_result), 0);
}

void CStateHost2::EndOperation()
{
    CModel& model = GetModel();
    const HRESULT result = MapResult(m_result);
    if (result < 0 && result != E_UNEXPECTED_DEVICE) {
        model.ConnectionStatus.Set(FIRMWARE_STATUS_UNKNOWN);
        model.MachineFinished.SendToListeners(static_cast<WPARAM>(m_result), 0);
        return;
    }
    if (model.ActiveMachine()) {
        // The contact run's own end tells the windows.
        model.SetActiveMachine(nullptr);
        model.Recontact();
        return;
    }
    model.MachineFinished.SendToListeners(static_cast<WPARAM>(m_result), 0);
}

bool CStateHost2::ReadUntilTerminator()
{
    for (;;) {
        unsigned char byte = 0;
        DWORD read = 0;
        if (!GetModel().ReadPort(&byte, 1, &read))
            return false;
        if (read == 0)
            return true;
        const wchar_t character = byte;
        m_receiveBuffer += character;
        if (m_terminators.find(character) != std::wstring::npos)
            return true;
    }
}

bool CStateHost2::IsReplyComplete() const
{
    return !m_receiveBuffer.empty() && m_terminators.find(m_receiveBuffer.back()) != std::wstring::npos;
}

bool CStateHost2::ReplyStartsWith(const std::wstring& prefix) const
{
    return m_receiveBuffer.compare(0, prefix.size(), prefix) == 0 && m_receiveBuffer.size() >= prefix.size();
}

bool CStateHost2::ReplyContains(const std::wstring& text) const
{
    return !m_receiveBuffer.empty() && m_receiveBuffer.find(text) != std::wstring::npos;
}

bool CStateHost2::ReplyContainsChar(wchar_t character) const
{
    return m_receiveBuffer.find(character) != std::wstring::npos;
}

namespace {

bool IsDigit(wchar_t c)
{
    return c >= L'0' && c <= L'9';
}

// A decimal number 0..65535 at `position`; moves past it.
bool ParseUShortAt(const std::wstring& text, size_t& position, unsigned short& value)
{
    unsigned long number = 0;
    const size_t start = position;
    while (position < text.size() && IsDigit(text[position])) {
        number = number * 10 + (text[position] - L'0');
        if (number > 0xFFFF)
            return false;
        ++position;
    }
    value = static_cast<unsigned short>(number);
    return position > start;
}

bool AtReplyEnd(const std::wstring& text, size_t position)
{
    return position == text.size() || text[position] == L';';
}

}  // namespace

bool CStateHost2::ParseVersionReply(const std::wstring& prefix, unsigned index)
{
    if (index > VERSION_COUNT || !ReplyStartsWith(prefix))
        return false;
    const std::wstring rest = m_receiveBuffer.substr(prefix.size());
    if (rest.size() < 6 || !IsDigit(rest[0]) || !IsDigit(rest[1]) || rest[2] != L'.' || !IsDigit(rest[3]) ||
        !IsDigit(rest[4]) || rest[5] != L';')
        return false;
    const unsigned value =
        (rest[0] - L'0') * 1000 + (rest[1] - L'0') * 100 + (rest[3] - L'0') * 10 + (rest[4] - L'0');
    // Index 8 is a version the program reads but does not keep.
    if (index < VERSION_COUNT)
        GetModel().FirmwareVersion.Set(index, static_cast<unsigned short>(value));
    return true;
}

bool CStateHost2::ParseUShortReply(const std::wstring& prefix, CObservable<unsigned short>& value)
{
    if (!ReplyStartsWith(prefix))
        return false;
    size_t position = prefix.size();
    unsigned short number = 0;
    if (!ParseUShortAt(m_receiveBuffer, position, number) || !AtReplyEnd(m_receiveBuffer, position))
        return false;
    value.Set(number);
    return true;
}

bool CStateHost2::ParseUShortPairReply(const std::wstring& prefix, CObservable<unsigned short, 2>& values)
{
    if (!ReplyStartsWith(prefix))
        return false;
    size_t position = prefix.size();
    unsigned short first = 0, second = 0;
    if (!ParseUShortAt(m_receiveBuffer, position, first) || position >= m_receiveBuffer.size() ||
        m_receiveBuffer[position] != L'-')
        return false;
    ++position;
    if (!ParseUShortAt(m_receiveBuffer, position, second) || !AtReplyEnd(m_receiveBuffer, position))
        return false;
    values.Set(0, first);
    values.Set(1, second);
    return true;
}
