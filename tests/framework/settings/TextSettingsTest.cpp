// Every text the program reads back from the registry, at the length its
// editor or the system allows and one character longer: the longer one is
// taken as missing, never passed on.
#include <gtest/gtest.h>

#include <functional>

#include "CommandTesterPage.h"
#include "ConfigFile.h"
#include "Model.h"
#include "RFGainTables.h"
#include "TerminalMemoriesDlg.h"
#include "TerminalOptionsDlg.h"

namespace {

void WriteText(const wchar_t* name, const std::wstring& text)
{
    RegSetValueExW(GetModel().AppKey().Key(), name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                   static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
}

// A text of `length` characters.
std::wstring Letters(size_t length)
{
    return std::wstring(length, L'M');
}

std::wstring Folder(size_t length)
{
    return L"C:\\" + std::wstring(length - 3, L'f');
}

// A sound table, its pairs spaced out to `length` characters.
std::wstring SpacedTable(size_t length)
{
    std::wstring text;
    for (unsigned i = 0; i < RF_GAIN_TABLE_SIZE; ++i)
        text += L"A5";
    text.insert(2, length - text.size(), L' ');
    return text;
}

template <class Setting>
std::wstring Loaded(Setting& setting, size_t index = 0)
{
    setting.Load(GetModel().AppKey());
    return setting.Get(index);
}

// Element `index` of a setting made afresh and loaded.
template <class Setting, class... Args>
std::wstring LoadedAfresh(size_t index, Args... args)
{
    Setting setting(args...);
    return Loaded(setting, index);
}

}  // namespace

TEST(TextSettings, ALongerTextThanTheEditorOrTheSystemAllowsReadsAsMissing)
{
    CModel& model = GetModel();
    const struct {
        const wchar_t* valueName;
        size_t longest;
        std::function<std::wstring(size_t)> make;
        // What the program holds after it read the value.
        std::function<std::wstring(const std::wstring& written)> load;
        std::wstring missing;
    } rows[] = {
        {L"Port", 16, Letters, [&](const std::wstring&) { return Loaded(model.Port); }, L""},
        {L"FirmwareFolder", MAX_PATH - 1, Folder,
         [&](const std::wstring&) { return Loaded(model.FirmwareFolder); }, L""},
        {L"ConfigurationFolder", MAX_PATH - 1, Folder,
         [](const std::wstring&) { return LoadedAfresh<CConfigurationFolder>(0); }, L""},
        {L"CommandCaption32", 8, Letters,
         [](const std::wstring&) {
             CCommandTesterPage page;
             return Loaded(page.Labels, 31);
         },
         L""},
        {L"CommandText1", 120, Letters,
         [](const std::wstring&) {
             CCommandTesterPage page;
             return Loaded(page.Texts, 0);
         },
         L""},
        {L"CWMemoryCaption1", 32767, Letters,
         [](const std::wstring&) {
             return LoadedAfresh<CTerminalMemoriesDlg::CMemoryArray>(0, L"CWMemoryCaption%u", 0u);
         },
         L""},
        {L"PskMemoryText16", 32767, Letters,
         [](const std::wstring&) { return LoadedAfresh<CTerminalMemoriesDlg::CMemoryArray>(15, L"PskMemoryText%u", 0u); },
         L""},
        {L"TerminalFontName", LF_FACESIZE - 1, Letters,
         [](const std::wstring&) { return LoadedAfresh<CTerminalFontName>(0); }, L"Courier New"},
        {L"RFGainCalibrationSubRXTable", 4096, SpacedTable,
         [](const std::wstring& written) {
             RFGainTable table{};
             return LoadRFGainRegistryTable(RFGC_SUB_RX, table) && table[127] == 0xA5 ? written : L"";
         },
         L""},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(testing::PrintToString(std::wstring(row.valueName)));
        // The longer one first: a setting keeps what it holds when a value is missing.
        const std::wstring longer = row.make(row.longest + 1);
        WriteText(row.valueName, longer);
        EXPECT_EQ(row.load(longer), row.missing);
        const std::wstring longest = row.make(row.longest);
        WriteText(row.valueName, longest);
        EXPECT_EQ(row.load(longest), longest);
        RegDeleteValueW(model.AppKey().Key(), row.valueName);
    }
}
