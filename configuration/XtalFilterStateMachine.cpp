#include "XtalFilterStateMachine.h"

bool CXtalFilterStateMachine::IsModified() const
{
    const bool groups = Write<FILTER_SLOTS>::IsGroupModified(m_bandwidth) ||
                        Write<FILTER_SLOTS>::IsGroupModified(m_gain) ||
                        Write<FILTER_SLOTS>::IsGroupModified(m_offset) ||
                        Write<FILTER_MODES>::IsGroupModified(m_modeMap);
    if (groups || m_receiver.Get() != 0)
        return groups;
    return Write<1>::IsGroupModified(m_txAm) || Write<1>::IsGroupModified(m_txCw) ||
           Write<1>::IsGroupModified(m_txSsb);
}
