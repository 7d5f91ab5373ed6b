// A COM port of a Wine prefix that leads to the simulator's terminal: the
// link $WINEPREFIX/dosdevices/comN. A lock file per N (flock) keeps parallel
// simulators apart; a link left by a dead simulator is taken over, because
// its lock went with it.
#pragma once

#include <string>

class CComPortLink {
public:
    // Numbers tried when the caller leaves the choice to the link.
    static constexpr unsigned kFirstAutomatic = 10;
    static constexpr unsigned kLast = 255;

    CComPortLink() = default;
    ~CComPortLink() { Release(); }
    CComPortLink(const CComPortLink&) = delete;
    CComPortLink& operator=(const CComPortLink&) = delete;

    // Points COM`number` (0: the first free from 10) at `target`. False with
    // `error` set when no number could be had.
    bool Claim(const std::string& prefix, unsigned number, const std::string& target, std::string& error);
    // The port disappears but the number stays taken until Release.
    void RemoveLink();
    // Adds the port to the prefix's registry list of serial ports, as the
    // system does for a plugged-in adapter, and removes it again on Release.
    bool Register();
    // As the adapter pulled out and plugged in again: the port and its
    // listing go, then come back under the same number, leading to `target`.
    void Unplug();
    bool Plug(const std::string& target);
    void Release();

    unsigned Number() const { return m_number; }
    // "COM12"
    std::string Name() const { return "COM" + std::to_string(m_number); }

private:
    bool TryNumber(unsigned number, bool takeOverForeign, const std::string& target);
    bool PlaceLink(unsigned number, const std::string& target);
    std::string LinkPath(unsigned number) const;
    bool RunRegistry(bool add) const;

    std::string m_prefix;
    unsigned m_number = 0;
    int m_lock = -1;
    std::string m_target;
    bool m_registered = false;
};
