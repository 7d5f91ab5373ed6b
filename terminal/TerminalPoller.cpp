#include "TerminalPoller.h"

#include <algorithm>

#include "TerminalModeFilter.h"

namespace {

// Characters the radio may hold before the next piece goes out, and the
// largest piece; PSK runs faster and gets more of both.
struct PieceLimits {
    size_t pendingBelow;
    size_t piece;
};

constexpr PieceLimits kCwRttyLimits{3, 4};
constexpr PieceLimits kPskLimits{5, 8};

// Past the end of transmission's reach: the radio has dropped its carrier.
constexpr DWORD kEndOfTransmissionWithinMs = 4000;
constexpr DWORD kKeepAliveAfterMs = 3001;

const wchar_t kKeepAlive[] = L"KY  \x7F;";
const wchar_t kEndOfTransmission[] = L"KY \x04;";

bool IsDigit(wchar_t c)
{
    return c >= L'0' && c <= L'9';
}

}  // namespace

ReplyParse ParseTransmitBufferReply(const std::wstring& reply, STransmitBufferReply& parsed)
{
    if (reply.size() < 6 || reply.compare(0, 2, L"TB") != 0 || !IsDigit(reply[2]) || !IsDigit(reply[3]) ||
        !IsDigit(reply[4]))
        return ReplyParse::NotTransmitBuffer;
    const size_t count = (reply[3] - L'0') * 10u + (reply[4] - L'0');
    if (reply.size() < count + 6)
        return ReplyParse::Incomplete;
    parsed.waiting = reply[2] - L'0';
    parsed.received = reply.substr(5, count);
    return ReplyParse::Complete;
}

void CTerminalPoller::Restart()
{
    m_pollTicks = 0;
    m_lastSend = m_clock();
    m_pollInterval = kFastPollMs;
}

bool CTerminalPoller::OnPollTick()
{
    return m_pollTicks++ != 0;
}

size_t CTerminalPoller::SendRoom() const
{
    const PieceLimits& limits = m_mode == TERMINAL_MODE_PSK ? kPskLimits : kCwRttyLimits;
    return m_pending.size() >= limits.pendingBelow ? 0 : limits.piece - m_pending.size();
}

void CTerminalPoller::SendKeyerText(const std::wstring& text)
{
    m_pending += m_mode == TERMINAL_MODE_CW ? ExpandProsigns(text) : text;
    m_lastSend = m_clock();
    SendCommand(L"KY " + text + L";");
}

void CTerminalPoller::SendCommand(const std::wstring& command)
{
    m_lastActivity = m_clock();
    m_pollInterval = kFastPollMs;
    m_host.WriteKeyerCommand(command);
}

void CTerminalPoller::SendEndOfTransmission()
{
    SendCommand(kEndOfTransmission);
}

bool CTerminalPoller::WantsEndOfTransmission() const
{
    return IsRttyOrPsk() && m_radioCount == 0 && m_clock() - m_lastActivity < kEndOfTransmissionWithinMs;
}

bool CTerminalPoller::OnReplyByte(BYTE byte)
{
    m_reply += static_cast<wchar_t>(byte);
    if (m_reply.size() > kLongestReply) {
        // A peer that never ends its line must not grow this without end.
        m_reply.clear();
        return false;
    }
    if (byte != ';')
        return false;
    STransmitBufferReply parsed;
    const ReplyParse parse = ParseTransmitBufferReply(m_reply, parsed);
    if (parse == ReplyParse::Incomplete)
        return false;
    m_host.ShowReply(m_reply);
    m_reply.clear();
    if (parse == ReplyParse::Complete)
        OnTransmitBufferReply(parsed);
    return true;
}

void CTerminalPoller::OnTransmitBufferReply(const STransmitBufferReply& reply)
{
    m_pollTicks = 0;
    bool activity = false;
    if (!reply.received.empty()) {
        m_host.ShowReceived(reply.received);
        activity = true;
    }
    m_radioCount = reply.waiting;
    if (reply.waiting >= 1)
        activity = true;
    if (!m_pending.empty())
        EchoTransmitted(reply.waiting);

    if (reply.waiting == 0) {
        const DWORD now = m_clock();
        if (!m_pending.empty()) {
            m_lastSend = m_lastActivity = now;
        } else if (m_host.HasUnsentText()) {
            // Transmit was switched on and this reply overtook the first
            // piece: the text is not done, it has not even started.
            m_host.SendNextPiece();
        } else if (IsRttyOrPsk() && (m_stopWhenDone || now - m_lastSend >= m_activityTimeout)) {
            m_host.StopTransmit();
        } else if (m_host.IsTransmitting() && IsRttyOrPsk() && now - m_lastActivity >= kKeepAliveAfterMs) {
            SendCommand(kKeepAlive);
        }
    }
    m_pollInterval = activity ? kFastPollMs : std::min((m_pollInterval * 15 + 1000) / 16, kSlowestPollMs);
}

void CTerminalPoller::EchoTransmitted(unsigned waiting)
{
    if (m_pending.size() > waiting) {
        const size_t sent = m_pending.size() - waiting;
        m_host.ShowEcho(m_pending.substr(0, sent));
        m_pending.erase(0, sent);
        m_lastActivity = m_clock();
    }
    m_host.SendNextPiece();
}
