#include "CommandMacroStateMachine.h"

#include <cwctype>

const CCommandMacroStateMachine::Field CCommandMacroStateMachine::s_label{
    &GetMacroCaptionAddress, kMacroLabelLength, &CCommandMacroStateMachine::m_labels};
const CCommandMacroStateMachine::Field CCommandMacroStateMachine::s_text{
    &GetMacroTextAddress, kMacroTextLength, &CCommandMacroStateMachine::m_texts};

std::wstring DecodeMacroField(const BYTE* bytes, unsigned length)
{
    // Bytes the radio never wrote read as 0xFF: the text ends there too.
    unsigned end = 0;
    while (end < length && bytes[end] != 0 && bytes[end] != 0xFF)
        ++end;
    if (end == 0)
        return {};
    const char* text = reinterpret_cast<const char*>(bytes);
    const int size = MultiByteToWideChar(CP_ACP, 0, text, static_cast<int>(end), nullptr, 0);
    std::wstring value(static_cast<size_t>(size), L'\0');
    MultiByteToWideChar(CP_ACP, 0, text, static_cast<int>(end), value.data(), size);
    return value;
}

std::wstring NormalizeMacroField(const std::wstring& value, unsigned length)
{
    size_t first = 0, last = value.size();
    while (first < last && std::iswspace(value[first]))
        ++first;
    while (last > first && std::iswspace(value[last - 1]))
        --last;
    std::wstring normal = value.substr(first, last - first);
    if (!normal.empty())
        CharUpperBuffW(normal.data(), static_cast<DWORD>(normal.size()));
    if (normal.size() > length)
        normal.resize(length);
    return normal;
}

unsigned EncodeMacroField(const std::wstring& value, unsigned length, BYTE* bytes)
{
    const unsigned count = static_cast<unsigned>(std::min<size_t>(value.size(), length));
    for (unsigned i = 0; i < count; ++i) {
        // The code page the reading side decodes with, so that what is
        // written reads back the same; a character it lacks becomes '?'.
        char encoded[8];
        BOOL lossy = FALSE;
        const int size = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, &value[i], 1, encoded, sizeof encoded,
                                             nullptr, &lossy);
        bytes[i] = size == 1 && !lossy ? static_cast<BYTE>(encoded[0]) : '?';
    }
    if (count < length) {
        bytes[count] = 0;
        return count + 1;
    }
    return count;
}

CCommandMacroStateMachine::CCommandMacroStateMachine(CMacroStrings& labels, CMacroStrings& texts)
    : CStateHost(TIMER_COMMAND_MACRO), m_labels(&labels), m_texts(&texts)
{
}

CCommandMacroStateMachine::CReadFieldState::CReadFieldState(CCommandMacroStateMachine* host, const wchar_t* name,
                                                            State* next, const Field& field)
    : CReadPicPromState(host, name, next, field.address(0), field.length, host->m_buffer, sizeof host->m_buffer),
      m_field(field)
{
    m_errorCode = E_NO_RESPONSE_READ_EEPROM_BLOCK;
}

void CCommandMacroStateMachine::CReadFieldState::Init()
{
    CReadPicPromState::Init();
    SetRange(m_field.address(static_cast<unsigned>(m_host->m_loopIndex)), m_field.length);
}

void CCommandMacroStateMachine::CReadFieldState::Process()
{
    const size_t macro = static_cast<size_t>(m_host->m_loopIndex);
    (m_host->*m_field.strings)->Set(macro, DecodeMacroField(m_host->m_buffer, m_field.length));
    GoNext();
}

CCommandMacroStateMachine::CWriteFieldState::CWriteFieldState(CCommandMacroStateMachine* host, const wchar_t* name,
                                                              State* next, const Field& field)
    : CWritePicPromState(host, name, next, field.address(0), field.length, host->m_buffer), m_field(field)
{
    m_errorCode = E_NO_RESPONSE_WRITE_EEPROM_BLOCK;
}

void CCommandMacroStateMachine::CWriteFieldState::Init()
{
    CWritePicPromState::Init();
    const unsigned macro = static_cast<unsigned>(m_host->m_loopIndex);
    CMacroStrings& strings = *(m_host->*m_field.strings);
    // The editor shows what the radio will hold.
    const std::wstring value = NormalizeMacroField(strings.Get(macro), m_field.length);
    strings.Set(macro, value);
    SetRange(m_field.address(macro), EncodeMacroField(value, m_field.length, m_host->m_buffer));
}
