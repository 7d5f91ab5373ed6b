// A machine host that moves a progress bar as its bytes go by: the firmware
// loaders and the configuration save and restore.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <algorithm>

#include "StateMachine.h"

template <typename T>
class CProgressBarStateHost : public CStateHost<T> {
public:
    using CStateHost<T>::CStateHost;

    // Never past the maximum: the MCU's closing packet counts its block twice.
    // Posted, and only when the bar moves: its repaint (under Wine several
    // milliseconds) follows the command about to go out instead of holding
    // it up, once a packet.
    void Progress(UINT bytes) override
    {
        m_position = std::min(m_position + static_cast<int>(bytes), m_maximum);
        const int shown = m_position / m_divisor;
        if (m_progressBar && shown != m_shown) {
            m_shown = shown;
            PostMessageW(m_progressBar, PBM_SETPOS, shown, 0);
        }
    }

    // Position 0 of `total` bytes on the bar (which may be null), counted in
    // units of the divisor. The 32-bit message: PBM_SETRANGE holds 16 bits,
    // too few for the largest images.
    void SetUpProgress(HWND progressBar, int total)
    {
        m_progressBar = IsWindow(progressBar) ? progressBar : nullptr;
        m_position = 0;
        m_shown = 0;
        m_maximum = total;
        if (!m_progressBar)
            return;
        SendMessageW(m_progressBar, PBM_SETPOS, 0, 0);
        SendMessageW(m_progressBar, PBM_SETRANGE32, 0, total / m_divisor);
    }

    int m_divisor = 32;
    int m_position = 0;
    int m_maximum = 0;
    HWND m_progressBar = nullptr;

private:
    // The position last sent to the bar, in units of the divisor.
    int m_shown = 0;
};
