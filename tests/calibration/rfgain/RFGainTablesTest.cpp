// The RF gain tables: the factory default, the registry values a technician
// leaves, the DSP commands that carry a table, and the comparison report.
#include <gtest/gtest.h>

#include <richedit.h>

#include <algorithm>

#include "Model.h"
#include "RFGainStateMachine.h"
#include "TextUtil.h"

namespace {

// The factory table as its rows are written down, 16 bytes a row.
const wchar_t* const kFactoryRows[] = {
    L"20007401 35013702 38023901 39033C03", L"3A023C03 3B033D04 3E053E06 3D063C08",
    L"3F093C0C 3C0D3E0E 3D103F0F 3C0F400E", L"3F0F3F10 3E143F1A 401F4122 3F273F2D",
    L"41333F3E 404A4150 403B3F11 3E024401", L"3E003F00 41003F00 3F014000 40004001",
    L"41033D06 43134120 41243F18 400B4107", L"42033C04 42014100 EE007451 236D5338",
};

std::wstring FactoryDump()
{
    std::wstring dump;
    for (const wchar_t* row : kFactoryRows)
        dump += std::wstring(row) + L"\n";
    return dump + L"\n";
}

RFGainTable Pattern(BYTE seed)
{
    RFGainTable table{};
    for (size_t i = 0; i < table.size(); ++i)
        table[i] = static_cast<BYTE>(seed + i);
    return table;
}

TEST(RFGainTables, FactoryTableDumpsAsItsRowsEightLinesOfFourGroups)
{
    EXPECT_EQ(FormatTableDump(kFactoryRFGainTable), FactoryDump());
}

TEST(RFGainTables, TablesLieBackToBackInEepromAndTheRegistryNamesTheReceiver)
{
    EXPECT_EQ(RFGainTableAddress(0), 0x4D00u);
    EXPECT_EQ(RFGainTableAddress(1), 0x4D80u);
    EXPECT_STREQ(RFGainRegistryValueName(0), L"RFGainCalibrationMainRXTable");
    EXPECT_STREQ(RFGainRegistryValueName(1), L"RFGainCalibrationSubRXTable");
    EXPECT_STREQ(RFGainRegistryValueName(7), L"RFGainCalibrationMainRXTable");
}

TEST(RFGainTables, DspCommandsCarryTheTableAsUpperCaseHex)
{
    const std::wstring read = DspTableReadCommand();
    ASSERT_EQ(read.size(), 262u);
    EXPECT_EQ(read.substr(0, 5), L"!bb00");
    EXPECT_EQ(read.find_first_not_of(L'0', 5), 261u);
    EXPECT_EQ(read.back(), L';');

    const std::wstring write = DspTableWriteCommand(kFactoryRFGainTable);
    ASSERT_EQ(write.size(), 260u);
    std::wstring rows;
    for (const wchar_t* row : kFactoryRows)
        rows += row;
    rows.erase(std::remove(rows.begin(), rows.end(), L' '), rows.end());
    EXPECT_EQ(write, L"!bc" + rows + L";");
}

TEST(RFGainTables, ReportShowsOneDumpWhenEqualAndBothWhenOneByteDiffers)
{
    EXPECT_EQ(FormatTableComparison(kFactoryRFGainTable, kFactoryRFGainTable),
              (std::vector<std::wstring>{L"\nDSP and MCU EEPROM content are identical\n\n", FactoryDump()}));

    RFGainTable eeprom = kFactoryRFGainTable;
    eeprom[127] = 0x39;
    const std::vector<std::wstring> differ = FormatTableComparison(kFactoryRFGainTable, eeprom);
    ASSERT_EQ(differ.size(), 5u);
    EXPECT_EQ(differ[0], L"\nDSP and MCU EEPROM content differ\n");
    EXPECT_EQ(differ[1], L"\nDSP contains\n");
    EXPECT_EQ(differ[2], FactoryDump());
    EXPECT_EQ(differ[3], L"\nMCU EEPROM contains\n");
    EXPECT_EQ(differ[4].substr(differ[4].size() - 10), L"236D5339\n\n");
}

TEST(RFGainTables, ReportGoesIntoTheLogAsPlainTextAfterWhatIsThere)
{
    LoadLibraryW(L"RICHED20.DLL");
    const HWND log = CreateWindowExW(0, RICHEDIT_CLASSW, L"", WS_POPUP | ES_MULTILINE, 0, 0, 400, 300, nullptr,
                                     nullptr, GetModuleHandleW(nullptr), nullptr);
    ASSERT_NE(log, nullptr);
    SetWindowTextW(log, L"Ready");
    CompareTables(log, Pattern(1), Pattern(1));
    wchar_t text[2048] = {};
    GetWindowTextW(log, text, 2048);
    // The control gives each line break back as "\r\n".
    std::wstring shown;
    for (const wchar_t* c = text; *c; ++c) {
        if (*c != L'\r')
            shown += *c;
    }
    EXPECT_EQ(shown.substr(0, 48), L"Ready\nDSP and MCU EEPROM content are identical\n\n");
    EXPECT_EQ(shown.substr(48, 36), L"01020304 05060708 090A0B0C 0D0E0F10\n");
    DestroyWindow(log);
}

class RFGainRegistryTest : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, AppKeyPath().c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                                  nullptr, &m_key, nullptr),
                  ERROR_SUCCESS);
        Remove();
    }
    void TearDown() override
    {
        Remove();
        RegCloseKey(m_key);
    }
    void Write(const wchar_t* name, const std::wstring& text)
    {
        RegSetValueExW(m_key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                       static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
    }
    void Remove()
    {
        RegDeleteValueW(m_key, L"RFGainCalibrationMainRXTable");
        RegDeleteValueW(m_key, L"RFGainCalibrationSubRXTable");
    }
    static std::wstring Pairs(size_t count, const wchar_t* separator)
    {
        std::wstring text;
        for (size_t i = 0; i < count; ++i)
            text += FormatTextC(L"%02x%s", static_cast<unsigned>((i * 3 + 0xA0) & 0xFF), separator);
        return text;
    }

    HKEY m_key = nullptr;
    CRFGCStateMachine machine;
};

TEST_F(RFGainRegistryTest, ExactlyOneHundredTwentyEightPairsLoadAndNothingElseTouchesTheTable)
{
    struct Case {
        const char* what;
        std::wstring text;
        bool loads;
    } const cases[] = {
        {"spaced lower case", L"  " + Pairs(128, L" \t"), true},
        {"run together", Pairs(128, L""), true},
        {"127 pairs", Pairs(127, L" "), false},
        {"129 pairs", Pairs(129, L" "), false},
        {"a stray G", L"G" + Pairs(128, L""), false},
        {"half a pair", Pairs(128, L"") + L"0", false},
        {"empty", L"", false},
    };
    for (const Case& c : cases) {
        Write(L"RFGainCalibrationMainRXTable", c.text);
        machine.m_run.dspTable = Pattern(7);
        EXPECT_EQ(machine.LoadRegistryTable(0), c.loads) << c.what;
        if (c.loads) {
            EXPECT_EQ(machine.m_run.dspTable[0], 0xA0) << c.what;
            EXPECT_EQ(machine.m_run.dspTable[127], static_cast<BYTE>((127 * 3 + 0xA0) & 0xFF)) << c.what;
        } else {
            EXPECT_EQ(machine.m_run.dspTable, Pattern(7)) << c.what;
        }
    }
}

TEST_F(RFGainRegistryTest, EachReceiverReadsItsOwnValueAndAMissingOneFails)
{
    Write(L"RFGainCalibrationSubRXTable", Pairs(128, L" "));
    EXPECT_FALSE(machine.LoadRegistryTable(0));
    EXPECT_TRUE(machine.LoadRegistryTable(1));
}

}  // namespace
