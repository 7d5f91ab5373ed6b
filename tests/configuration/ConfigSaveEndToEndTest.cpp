// Configuration save from the Configuration tab against the simulated radio:
// the file holds what the radio's saved regions hold, at each speed;
// cancelling sends nothing or writes nothing; the file dialog's folder and
// name when the stored folder is too long or gone; a failed write is never
// called saved. (Byte reads of older firmware
// take 3,124 exchanges, and targets that cannot be replaced need no radio:
// the scripted-radio, file tests and the benchmark cover them.)
#include "ConfigEndToEnd.h"

#include <commdlg.h>

#include <algorithm>

#include "ConfigFile.h"
#include "ConfigFixture.h"
#include "resource.h"

using namespace configtest;

namespace {

const wchar_t kSaveDialog[] = L"Save Configuration";

class ConfigSaveEndToEndTest : public ConfigEndToEndTest {
protected:
    // A pattern in the saved regions and around them.
    void FillRadio()
    {
        std::vector<uint8_t> bytes(0x8400);
        for (unsigned address = 0; address < bytes.size(); ++address)
            bytes[address] = PatternByte(address);
        for (unsigned start : {0x0000u, 0x0300u, 0x6800u, 0x7E00u})
            radio.WriteEeprom(start, std::vector<uint8_t>(bytes.begin() + start, bytes.begin() + start + 0x200));
    }

    // Saves into the file, returning the file's content.
    std::string Save(const std::wstring& path)
    {
        AnswerFileDialog(L"Save As", path);
        radio.ClearLog();
        Press(IDC_SAVE_CONFIGURATION);
        return ReadFileBytes(path);
    }

    void ExpectSavedFile(const std::string& file)
    {
        ASSERT_FALSE(file.empty());
        const std::vector<std::string> lines = SplitLines(file);
        ASSERT_EQ(lines.size(), 56u);
        EXPECT_EQ(lines[5], "Q7 Serial Number = 04711");
        EXPECT_EQ(Mem2Bytes(file), SavedRegions());
        EXPECT_EQ(Sealed(std::vector<std::string>(lines.begin(), lines.end() - 1)), file) << "a valid CRC line";
        EXPECT_EQ(StatusText(), L"Configuration was saved");
    }
};

}  // namespace

TEST_F(ConfigSaveEndToEndTest, TheFileHoldsTheSavedRegionsAt38400WhateverHappensMeanwhile)
{
    Connect(38400);
    FillRadio();
    // While the regions are read, the owner's popups are hidden and shown
    // again, and another machine's end is announced: the file is still
    // written once, from the whole image.
    int hidden = 0;
    radio.SetReplyDelay(20);
    DriveToolDialog(kSaveDialog, [&](HWND) {
        ShowOwnedPopups(Frame(), FALSE);
        ShowOwnedPopups(Frame(), TRUE);
        model.MachineFinished.SendToListeners(0, 0);
        ++hidden;
        return true;
    });
    const std::wstring path = folder.File(L"saved.Q7Config");
    ExpectSavedFile(Save(path));
    EXPECT_EQ(hidden, 1);
    EXPECT_EQ(fileDialogs, 1) << "a show after the hide asks for no file";
    EXPECT_EQ(Count("ER"), 25u);
    EXPECT_EQ(boxes.Count(), 0u);
    EXPECT_FALSE(toolFailed);

    std::wstring folderSetting(MAX_PATH, L'\0');
    DWORD size = MAX_PATH * sizeof(wchar_t);
    RegGetValueW(model.AppKey().Key(), nullptr, L"ConfigurationFolder", RRF_RT_REG_SZ, nullptr, folderSetting.data(),
                 &size);
    EXPECT_STREQ(folderSetting.c_str(), folder.Path().c_str()) << "the folder of the file is kept";
}

TEST_F(ConfigSaveEndToEndTest, TheFileHoldsTheSavedRegionsAt9600)
{
    Connect(9600);
    FillRadio();
    DriveToolDialog(kSaveDialog, [](HWND) { return false; });
    ExpectSavedFile(Save(folder.File(L"slow.Q7Config")));
    EXPECT_EQ(radio.LineSpeed(), 9600u);
}

TEST_F(ConfigSaveEndToEndTest, CancellingTheFileDialogSendsNothing)
{
    Connect();
    Save(L"");
    EXPECT_EQ(fileDialogs, 1);
    EXPECT_TRUE(radio.Commands().empty());
    EXPECT_EQ(boxes.Count(), 0u);
}

TEST_F(ConfigSaveEndToEndTest, CancellingTheReadWritesNoFile)
{
    Connect();
    // Slow replies: the Cancel comes while the regions are read.
    radio.SetReplyDelay(50);
    DriveToolDialog(kSaveDialog, [&](HWND dialog) { return Cancel(dialog); });
    const std::wstring path = folder.File(L"cancelled.Q7Config");
    EXPECT_TRUE(Save(path).empty());
    EXPECT_EQ(GetFileAttributesW(path.c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_LT(Count("ER"), 25u);
    EXPECT_EQ(boxes.Count(), 0u) << "a cancel is no error";
    EXPECT_EQ(StatusText(), L"Save configuration was cancelled");
}

namespace {

// The save file dialog's folder and file name as it came up; it is cancelled.
struct ShownFileDialog {
    std::wstring folder;
    std::wstring name;
};

// Points this program's import of a function at a replacement; the original.
void* ReplaceImport(const char* dll, const char* function, void* replacement)
{
    BYTE* base = reinterpret_cast<BYTE*>(GetModuleHandleW(nullptr));
    const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + reinterpret_cast<IMAGE_DOS_HEADER*>(base)->e_lfanew);
    const IMAGE_DATA_DIRECTORY& imports = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    for (auto* module = reinterpret_cast<IMAGE_IMPORT_DESCRIPTOR*>(base + imports.VirtualAddress); module->Name;
         ++module) {
        if (_stricmp(reinterpret_cast<const char*>(base + module->Name), dll) != 0)
            continue;
        auto* name = reinterpret_cast<IMAGE_THUNK_DATA*>(base + module->OriginalFirstThunk);
        auto* slot = reinterpret_cast<IMAGE_THUNK_DATA*>(base + module->FirstThunk);
        for (; name->u1.AddressOfData; ++name, ++slot) {
            if (IMAGE_SNAP_BY_ORDINAL(name->u1.Ordinal) ||
                strcmp(reinterpret_cast<const char*>(
                           reinterpret_cast<IMAGE_IMPORT_BY_NAME*>(base + name->u1.AddressOfData)->Name),
                       function) != 0)
                continue;
            DWORD protection = 0;
            VirtualProtect(&slot->u1.Function, sizeof slot->u1.Function, PAGE_READWRITE, &protection);
            void* original = reinterpret_cast<void*>(slot->u1.Function);
            slot->u1.Function = reinterpret_cast<ULONG_PTR>(replacement);
            VirtualProtect(&slot->u1.Function, sizeof slot->u1.Function, protection, &protection);
            return original;
        }
    }
    return nullptr;
}

// Windows refuses a proposed name whose folder does not exist before the
// file dialog shows (extended error 12290); Wine shows the dialog in the
// current folder instead. While this lives, the save dialog meets Windows.
class CWindowsFileNameCheck {
public:
    CWindowsFileNameCheck()
    {
        s_getSaveFileName = reinterpret_cast<GetSaveFileNameFunction>(
            ReplaceImport("comdlg32.dll", "GetSaveFileNameW", reinterpret_cast<void*>(&GetSaveFileName)));
        s_extendedError = reinterpret_cast<ExtendedErrorFunction>(
            ReplaceImport("comdlg32.dll", "CommDlgExtendedError", reinterpret_cast<void*>(&ExtendedError)));
        s_refusals = 0;
    }
    ~CWindowsFileNameCheck()
    {
        ReplaceImport("comdlg32.dll", "GetSaveFileNameW", reinterpret_cast<void*>(s_getSaveFileName));
        ReplaceImport("comdlg32.dll", "CommDlgExtendedError", reinterpret_cast<void*>(s_extendedError));
    }
    bool Installed() const { return s_getSaveFileName && s_extendedError; }
    static unsigned Refusals() { return s_refusals; }

private:
    using GetSaveFileNameFunction = BOOL(WINAPI*)(OPENFILENAMEW*);
    using ExtendedErrorFunction = DWORD(WINAPI*)();

    static BOOL WINAPI GetSaveFileName(OPENFILENAMEW* dialog)
    {
        const std::wstring name = dialog->lpstrFile;
        const size_t slash = name.find_last_of(L'\\');
        s_refused = slash != std::wstring::npos &&
                    GetFileAttributesW(name.substr(0, slash).c_str()) == INVALID_FILE_ATTRIBUTES;
        if (s_refused) {
            ++s_refusals;
            return FALSE;
        }
        return s_getSaveFileName(dialog);
    }
    static DWORD WINAPI ExtendedError() { return s_refused ? FNERR_INVALIDFILENAME : s_extendedError(); }

    static inline GetSaveFileNameFunction s_getSaveFileName = nullptr;
    static inline ExtendedErrorFunction s_extendedError = nullptr;
    static inline bool s_refused = false;
    static inline unsigned s_refusals = 0;
};

class ConfigSaveFolderTest : public ConfigSaveEndToEndTest {
protected:
    // Presses Save with this stored folder; every file dialog is cancelled.
    std::vector<ShownFileDialog> PressSaveWithFolder(const std::wstring& stored)
    {
        WriteSetting(L"ConfigurationFolder", stored);
        std::vector<ShownFileDialog> shown;
        boxes.OnDialog(L"Save As", [&](HWND dialog) {
            const HWND edit = FileNameEdit(dialog);
            if (!edit)
                return false;
            wchar_t path[MAX_PATH] = {};
            SendMessageW(dialog, CDM_GETFOLDERPATH, MAX_PATH, reinterpret_cast<LPARAM>(path));
            shown.push_back({path, GetWindowString(edit)});
            PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
            return true;
        });
        radio.ClearLog();
        Press(IDC_SAVE_CONFIGURATION);
        return shown;
    }

    static bool IsDefaultName(const std::wstring& name)
    {
        return name.compare(0, 8, L"SN04711.") == 0 && name.size() == 32 &&
               name.compare(name.size() - 9, 9, L".Q7Config") == 0;
    }
};

}  // namespace

TEST_F(ConfigSaveFolderTest, AFolderTooLongForTheNameOpensAsTheFolderWithTheNameAlone)
{
    Connect();
    // With the name it no longer fits the 260-character file buffer.
    const std::wstring deep = folder.Path() + L"\\" + std::wstring(240 - folder.Path().size(), L'd');
    ASSERT_TRUE(CreateDirectoryW(deep.c_str(), nullptr));
    const std::vector<ShownFileDialog> shown = PressSaveWithFolder(deep);
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_TRUE(IsDefaultName(shown[0].name)) << std::string(shown[0].name.begin(), shown[0].name.end());
    EXPECT_EQ(shown[0].folder, deep);
    EXPECT_TRUE(radio.Commands().empty());
}

TEST_F(ConfigSaveFolderTest, AStoredFolderThatIsGoneIsForgottenAndTheDefaultFolderOffered)
{
    Connect();
    CWindowsFileNameCheck windows;
    ASSERT_TRUE(windows.Installed());
    const std::vector<ShownFileDialog> shown = PressSaveWithFolder(folder.File(L"gone"));
    EXPECT_EQ(windows.Refusals(), 1u);
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].folder, GetConfigurationFolder(nullptr));
    EXPECT_TRUE(IsDefaultName(shown[0].name));
    EXPECT_TRUE(radio.Commands().empty());
}

// A write that fails and leaves no error code behind is still a failure.
TEST_F(ConfigSaveEndToEndTest, AFailedWriteWithoutACodeIsReportedAsAFailure)
{
    Connect();
    FillRadio();
    DriveToolDialog(kSaveDialog, [](HWND) { return false; });
    FailConfigFileLineForTest(1, 0);
    const std::wstring path = folder.File(L"unwritten.Q7Config");
    const std::string file = Save(path);
    FailConfigFileLineForTest(0);
    EXPECT_TRUE(file.empty());
    EXPECT_EQ(GetFileAttributesW(path.c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_TRUE(toolFailed) << "the dialog offered Close";
    ASSERT_EQ(boxes.Count(), 2u);
    EXPECT_EQ(boxes[0].caption, L"Configuration file write error");
    EXPECT_EQ(boxes[1].caption, L"Save Configuration Error");
    EXPECT_EQ(std::count(statusTexts.begin(), statusTexts.end(), L"Failed to save configuration"), 1);
    EXPECT_EQ(std::count(statusTexts.begin(), statusTexts.end(), L"Configuration was saved"), 0);
}
