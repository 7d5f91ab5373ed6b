// The faults of the line a test can ask for: deafness, a radio that hears
// only some commands, lost commands, late, split, garbled and run-together
// replies, a stray reply. The parts of the radio keep their own (Radio.h).
#pragma once

#include <optional>
#include <string>
#include <vector>

class CFaults {
public:
    struct Split {
        // Bytes in the first write.
        size_t at;
        unsigned pauseMs;
    };

    // A silent radio hears nothing: no reply and no effect.
    void SetSilent(bool silent) { m_silent = silent; }
    bool IsSilent() const { return m_silent; }
    // From now on only commands that start with one of `prefixes` are heard;
    // none: every command again.
    void HearOnly(std::vector<std::string> prefixes) { m_heard = std::move(prefixes); }
    // The next `count` commands that start with `prefix` are lost, after
    // `after` more of them have got through.
    void IgnoreNext(const std::string& prefix, unsigned count, unsigned after = 0);
    // `text` goes out just before the reply to the next command that starts
    // with `prefix`, as a reply of its own.
    void SendStrayBefore(std::string prefix, std::string text) { m_stray = {std::move(prefix), std::move(text)}; }
    // `text` goes out in place of the reply to the next command that starts
    // with `prefix`; the command itself takes effect.
    void GarbleNextReply(std::string prefix, std::string text) { m_garble = {std::move(prefix), std::move(text)}; }
    void SetReplyDelay(unsigned ms) { m_replyDelayMs = ms; }
    void SplitNextReply(Split split) { m_split = split; }
    void AppendToNextReply(std::string extra) { m_burst = std::move(extra); }

    // True when the command never reaches the radio; counts lost commands.
    bool Loses(const std::string& command);
    unsigned ReplyDelayMs() const { return m_replyDelayMs; }
    // The one-shot faults for the reply about to go out.
    std::optional<Split> TakeSplit();
    std::string TakeBurst();
    std::optional<std::string> TakeStray(const std::string& command);
    std::optional<std::string> TakeGarble(const std::string& command);

private:
    struct Ignore {
        std::string prefix;
        unsigned count;
        unsigned after;
    };
    struct Stray {
        std::string prefix;
        std::string text;
    };

    bool m_silent = false;
    std::vector<std::string> m_heard;
    std::vector<Ignore> m_ignores;
    unsigned m_replyDelayMs = 0;
    std::optional<Split> m_split;
    std::string m_burst;
    std::optional<Stray> m_stray;
    std::optional<Stray> m_garble;
};
