// The terminal's conversation with the radio's keyer: text goes out in short
// "KY" pieces, and the "TB;" poll reports both how much of it the radio still
// holds and what it has decoded. The page owns the windows; this owns the
// counts, the times and the decisions.
#pragma once

#include <windows.h>

#include <string>

// What the poller needs of the page.
class ITerminalPollerHost {
public:
    virtual bool IsTransmitting() = 0;
    // Typed text the page has not handed over yet.
    virtual bool HasUnsentText() = 0;
    // A "KY" command on its way to the radio (traced and shown by the page).
    virtual void WriteKeyerCommand(const std::wstring& command) = 0;
    virtual void ShowReceived(const std::wstring& text) = 0;
    virtual void ShowEcho(const std::wstring& text) = 0;
    // A complete reply, for the trace.
    virtual void ShowReply(const std::wstring& reply) = 0;
    virtual void StopTransmit() = 0;
    // The next piece now, before the reply is done with.
    virtual void SendNextPiece() = 0;

protected:
    ~ITerminalPollerHost() = default;
};

// "TB" t rr, rr received characters, ";".
struct STransmitBufferReply {
    unsigned waiting = 0;
    std::wstring received;
};

enum class ReplyParse { NotTransmitBuffer, Incomplete, Complete };

// A ";" inside the received characters makes a reply look complete too
// early: Incomplete says to read on.
ReplyParse ParseTransmitBufferReply(const std::wstring& reply, STransmitBufferReply& parsed);

class CTerminalPoller {
public:
    using TickClock = DWORD(WINAPI*)();

    static constexpr DWORD kFastPollMs = 100;
    static constexpr DWORD kSlowestPollMs = 1000;
    // "TB" + 1 + 2 + 99 received + ";": anything longer is no reply.
    static constexpr size_t kLongestReply = 105;
    static constexpr const wchar_t* kPollCommand = L"TB;";

    explicit CTerminalPoller(ITerminalPollerHost& host, TickClock clock = &GetTickCount)
        : m_host(host), m_clock(clock)
    {
    }

    void SetMode(unsigned mode) { m_mode = mode; }
    unsigned Mode() const { return m_mode; }
    void SetActivityTimeout(DWORD ms) { m_activityTimeout = ms; }
    // "[TXOFF]": end transmit once everything has gone out (RTTY, PSK).
    void SetStopWhenDone(bool stop) { m_stopWhenDone = stop; }

    // The page was shown: the first tick stays quiet, polling starts fast.
    void Restart();
    // A poll tick: true when "TB;" is due.
    bool OnPollTick();
    DWORD PollInterval() const { return m_pollInterval; }

    // How many characters may go out now: none while the radio holds enough.
    size_t SendRoom() const;
    // Filtered text: pending, then "KY text;".
    void SendKeyerText(const std::wstring& text);
    // Stopping sends "KY \x04;" only in RTTY and PSK, with the radio's buffer
    // empty and activity recent.
    bool WantsEndOfTransmission() const;
    void SendEndOfTransmission();
    // A key in the transmit pane holds the idle timeout off.
    void NoteKeyEvent() { m_lastSend = m_clock(); }

    // One byte from the port; true once a reply has been dealt with.
    bool OnReplyByte(BYTE byte);

    const std::wstring& Pending() const { return m_pending; }
    unsigned RadioBufferCount() const { return m_radioCount; }

private:
    void SendCommand(const std::wstring& command);
    void OnTransmitBufferReply(const STransmitBufferReply& reply);
    void EchoTransmitted(unsigned waiting);
    bool IsRttyOrPsk() const { return m_mode == 1 || m_mode == 2; }

    ITerminalPollerHost& m_host;
    TickClock m_clock;
    unsigned m_mode = 0;
    DWORD m_activityTimeout = 0;
    bool m_stopWhenDone = false;
    std::wstring m_pending;
    unsigned m_radioCount = 0;
    std::wstring m_reply;
    DWORD m_pollInterval = kFastPollMs;
    unsigned m_pollTicks = 0;
    DWORD m_lastSend = 0;
    DWORD m_lastActivity = 0;
};
