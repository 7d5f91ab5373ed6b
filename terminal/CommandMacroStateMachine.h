// Reads the first 16 command macros from the radio's EEPROM or writes them
// there. Each macro keeps an 8-byte label and a 120-byte text, one byte a
// character in the ANSI code page, ended by a NUL (or by never-written 0xFF
// bytes) when shorter than its field.
#pragma once

#include <string>

#include "EepromStates.h"

inline constexpr unsigned kMacroCount = 32;
// Macros 1-16 also live in the radio.
inline constexpr unsigned kRadioMacroCount = 16;
inline constexpr unsigned kMacroLabelLength = 8;
inline constexpr unsigned kMacroTextLength = 120;

using CMacroStrings = CObservable<std::wstring, kMacroCount>;

// The text stored in a field of `length` bytes: up to the first NUL or 0xFF.
std::wstring DecodeMacroField(const BYTE* bytes, unsigned length);
// What the radio keeps of a value: trimmed, upper-cased, cut to `length`.
std::wstring NormalizeMacroField(const std::wstring& value, unsigned length);
// The bytes written for a normalized value, one a character ('?' for one the
// code page cannot hold), a NUL after a text shorter than the field; the
// count to write is returned. `bytes` holds at least `length` bytes.
unsigned EncodeMacroField(const std::wstring& value, unsigned length, BYTE* bytes);

class CCommandMacroStateMachine : public CStateHost<CCommandMacroStateMachine> {
public:
    using State = CState<CCommandMacroStateMachine>;

    CCommandMacroStateMachine(CMacroStrings& labels, CMacroStrings& texts);

    bool StartRead() { return Start(m_textTerminalOff); }
    bool StartWrite() { return Start(m_writeSetQ7Hidden); }

    int LoopCount() const { return static_cast<int>(kRadioMacroCount); }

    // Where a field of macro i lies, how long it is, and which strings hold it.
    struct Field {
        unsigned (*address)(unsigned macro);
        unsigned length;
        CMacroStrings* CCommandMacroStateMachine::*strings;
    };
    static const Field s_label;
    static const Field s_text;

    class CReadFieldState : public CReadPicPromState<CCommandMacroStateMachine> {
    public:
        CReadFieldState(CCommandMacroStateMachine* host, const wchar_t* name, State* next, const Field& field);
        void Init() override;
        void Process() override;

    private:
        const Field& m_field;
    };

    class CWriteFieldState : public CWritePicPromState<CCommandMacroStateMachine> {
    public:
        CWriteFieldState(CCommandMacroStateMachine* host, const wchar_t* name, State* next, const Field& field);
        void Init() override;

    private:
        const Field& m_field;
    };

    class CReadCommandMacroCaptionState : public CReadFieldState {
    public:
        CReadCommandMacroCaptionState(CCommandMacroStateMachine* host, State* next)
            : CReadFieldState(host, L"ReadCommandMacroCaption", next, s_label)
        {
        }
    };
    class CReadCommandMacroTextState : public CReadFieldState {
    public:
        CReadCommandMacroTextState(CCommandMacroStateMachine* host, State* next)
            : CReadFieldState(host, L"ReadCommandMacroText", next, s_text)
        {
        }
    };
    class CWriteCommandMacroCaptionState : public CWriteFieldState {
    public:
        CWriteCommandMacroCaptionState(CCommandMacroStateMachine* host, State* next)
            : CWriteFieldState(host, L"WriteCommandMacroCaption", next, s_label)
        {
        }
    };
    class CWriteCommandMacroTextState : public CWriteFieldState {
    public:
        CWriteCommandMacroTextState(CCommandMacroStateMachine* host, State* next)
            : CWriteFieldState(host, L"WriteCommandMacroText", next, s_text)
        {
        }
    };

    int m_loopIndex = 0;
    CMacroStrings* m_labels;
    CMacroStrings* m_texts;
    // The radio's command mode before the first switch; kept for every later run.
    std::wstring m_savedModeReply;
    // One field on its way to or from the radio, with room for a terminator.
    BYTE m_buffer[kMacroTextLength + 1] = {};

    // Read chain.
    CTextTerminalOffState<CCommandMacroStateMachine> m_textTerminalOff{this, L"TextTerminalOff", &m_readSetQ7Hidden};
    CSetQ7HiddenState<CCommandMacroStateMachine> m_readSetQ7Hidden{this, L"SetQ7Hidden", &m_readInit};
    CLoopInitState<CCommandMacroStateMachine> m_readInit{this, L"ReadInit", &m_readTest};
    CLoopTestState<CCommandMacroStateMachine> m_readTest{this, L"ReadTest", &m_readCaption, &m_restoreQ7};
    CReadCommandMacroCaptionState m_readCaption{this, &m_readText};
    CReadCommandMacroTextState m_readText{this, &m_readStep};
    CLoopStepState<CCommandMacroStateMachine> m_readStep{this, L"ReadStep", &m_readTest};

    // Write chain.
    CSetQ7HiddenState<CCommandMacroStateMachine> m_writeSetQ7Hidden{this, L"SetQ7Hidden", &m_writeInit};
    CLoopInitState<CCommandMacroStateMachine> m_writeInit{this, L"WriteInit", &m_writeTest};
    CLoopTestState<CCommandMacroStateMachine> m_writeTest{this, L"WriteTest", &m_writeCaption, &m_restoreQ7};
    CWriteCommandMacroCaptionState m_writeCaption{this, &m_writeText};
    CWriteCommandMacroTextState m_writeText{this, &m_writeStep};
    CLoopStepState<CCommandMacroStateMachine> m_writeStep{this, L"WriteStep", &m_writeTest};

    CRestoreQ7State<CCommandMacroStateMachine> m_restoreQ7{this, L"RestoreQ7", &m_final};
};
