#include <gtest/gtest.h>

#include <vector>

#include "BoxWatcher.h"
#include "ErrorText.h"
#include "FileBytes.h"
#include "Files.h"
#include "TempFolder.h"
#include "resource.h"

namespace {

// The box text of a failed file call.
std::wstring FailureText(const wchar_t* call, const std::wstring& path, DWORD error)
{
    return FormatText(L"%s failed on \"%s\"\r\nError 0x%08X: %s", call, path.c_str(), error,
                      FormatErrorText(error).c_str());
}

class Files : public testing::Test {
protected:
    Files()
    {
        owner = CreateWindowW(L"STATIC", L"owner", WS_OVERLAPPED, 0, 0, 100, 50, nullptr, nullptr, nullptr, nullptr);
    }
    ~Files() override { DestroyWindow(owner); }

    bool CreateForWrite(CFileWrite2& file, const std::wstring& path)
    {
        return file.Create(path, GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL);
    }

    CTempFolder folder;
    HWND owner = nullptr;
};

// Gives the test the handle, to put a pipe into non-blocking mode.
class CPipeWriter : public CFileWrite2 {
public:
    using CFileWrite2::CFileWrite2;
    HANDLE Handle() const { return m_handle; }
};

}  // namespace

TEST_F(Files, WrittenLinesAndBytesReadBackWhole)
{
    CBoxWatcher boxes;
    {
        CFileWrite2 file(owner, L"Write Error");
        ASSERT_TRUE(CreateForWrite(file, folder.File(L"out.txt")));
        EXPECT_EQ(file.GetPath(), folder.File(L"out.txt"));
        EXPECT_TRUE(file.WriteLine(L"MEM2 00 10"));
        EXPECT_TRUE(file.WriteString(L"CRC"));
        EXPECT_TRUE(file.WriteString(L""));
        const BYTE bytes[] = {0x00, 0xFF, 0x0A};
        EXPECT_TRUE(file.Write(bytes, sizeof bytes));
        DWORD size = 0;
        EXPECT_TRUE(file.GetFileSize(size));
        EXPECT_EQ(size, 18u);
    }
    EXPECT_EQ(ReadFileBytes(folder.File(L"out.txt")), std::string("MEM2 00 10\r\nCRC\x00\xFF\n", 18));

    CFileRead3 file(owner, L"Read Error");
    ASSERT_TRUE(file.Open(folder.File(L"out.txt"), 18)) << (boxes.Count() ? boxes[0].text : L"");
    EXPECT_TRUE(file.IsOpen());
    DWORD size = 0;
    EXPECT_TRUE(file.GetFileSize(size));
    EXPECT_EQ(size, 18u);
    char part[13] = {};
    DWORD read = 0;
    ASSERT_TRUE(file.Read(part, 12, read));
    EXPECT_EQ(read, 12u);
    EXPECT_STREQ(part, "MEM2 00 10\r\n");
    ASSERT_TRUE(file.Read(part, 12, read));
    EXPECT_EQ(read, 6u);
    EXPECT_EQ(std::string(part, 6), std::string("CRC\x00\xFF\n", 6));
    ASSERT_TRUE(file.Read(part, 12, read));
    EXPECT_EQ(read, 0u);

    // The file was read whole and let go: it can be replaced now.
    CFileWrite2 again(owner, L"Write Error");
    EXPECT_TRUE(CreateForWrite(again, folder.File(L"out.txt")));
    EXPECT_EQ(boxes.Count(), 0u);
}

TEST_F(Files, EmptyFileIsOpenWithNothingToRead)
{
    folder.Write(L"empty.txt", "");
    CBoxWatcher boxes;
    CFileRead3 file(owner, L"Read Error");
    ASSERT_TRUE(file.Open(folder.File(L"empty.txt"), 0));
    EXPECT_TRUE(file.IsOpen());
    DWORD size = 1, read = 1;
    EXPECT_TRUE(file.GetFileSize(size));
    EXPECT_EQ(size, 0u);
    char byte;
    EXPECT_TRUE(file.Read(&byte, 1, read));
    EXPECT_EQ(read, 0u);
    EXPECT_EQ(boxes.Count(), 0u);
}

TEST_F(Files, MissingFileIsReportedAndLeavesNothingOpen)
{
    folder.Write(L"good.txt", "content");
    CBoxWatcher boxes;
    CFileRead3 file(owner, IDS_SAVE_CONFIG_ERROR_CAPTION);
    ASSERT_TRUE(file.Open(folder.File(L"good.txt"), 7));

    const std::wstring missing = folder.File(L"missing.txt");
    EXPECT_FALSE(file.Open(missing, 7));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
    ASSERT_EQ(boxes.Count(), 1u);
    EXPECT_EQ(boxes[0].caption, L"Save Configuration Error");
    EXPECT_EQ(boxes[0].text, FailureText(L"CreateFile", missing, ERROR_FILE_NOT_FOUND));
    EXPECT_EQ(boxes[0].icon, static_cast<UINT>(MB_ICONHAND));
    EXPECT_EQ(boxes[0].owner, owner);

    // The earlier content is gone with the failed open.
    EXPECT_FALSE(file.IsOpen());
    DWORD size = 1, read = 1;
    EXPECT_TRUE(file.GetFileSize(size));
    EXPECT_EQ(size, 0u);
    char byte;
    EXPECT_FALSE(file.Read(&byte, 1, read));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
    EXPECT_EQ(read, 0u);
    EXPECT_EQ(boxes.Count(), 1u);
}

TEST_F(Files, FileInUseIsReportedAsSharingViolation)
{
    CBoxWatcher boxes;
    CFileWrite2 writer(owner, L"Write Error");
    ASSERT_TRUE(CreateForWrite(writer, folder.File(L"busy.txt")));
    CFileRead3 reader(owner, L"Read Error");
    EXPECT_FALSE(reader.Open(folder.File(L"busy.txt"), 100));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SHARING_VIOLATION));
    ASSERT_EQ(boxes.Count(), 1u);
    EXPECT_EQ(boxes[0].caption, L"Read Error");
    EXPECT_EQ(boxes[0].text, FailureText(L"CreateFile", folder.File(L"busy.txt"), ERROR_SHARING_VIOLATION));
}

TEST_F(Files, CreatingAgainReleasesTheFirstFile)
{
    CFileWrite2 file(owner, L"Write Error");
    ASSERT_TRUE(CreateForWrite(file, folder.File(L"first.txt")));
    ASSERT_TRUE(CreateForWrite(file, folder.File(L"second.txt")));
    EXPECT_EQ(file.GetPath(), folder.File(L"second.txt"));
    CFileWrite2 other(owner, L"Write Error");
    CBoxWatcher boxes;
    EXPECT_TRUE(CreateForWrite(other, folder.File(L"first.txt")));
    EXPECT_EQ(boxes.Count(), 0u);
}

TEST_F(Files, WriteToReadOnlyHandleIsReportedOnce)
{
    folder.Write(L"readonly.txt", "old");
    CBoxWatcher boxes;
    CFileWrite2 file(owner, L"Write Error");
    ASSERT_TRUE(file.Create(folder.File(L"readonly.txt"), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL));
    // The line ending is not tried once the text failed.
    EXPECT_FALSE(file.WriteLine(L"new"));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
    ASSERT_EQ(boxes.Count(), 1u);
    EXPECT_EQ(boxes[0].text, FailureText(L"WriteFile", folder.File(L"readonly.txt"), ERROR_ACCESS_DENIED));
    file.Close();
    EXPECT_EQ(ReadFileBytes(folder.File(L"readonly.txt")), "old");
}

TEST_F(Files, ShortWriteIsAFailure)
{
    const std::wstring name = L"\\\\.\\pipe\\q7-short-write-" + std::to_wstring(GetCurrentProcessId());
    const HANDLE server =
        CreateNamedPipeW(name.c_str(), PIPE_ACCESS_INBOUND, PIPE_TYPE_BYTE | PIPE_NOWAIT, 1, 4096, 4096, 0, nullptr);
    ASSERT_NE(server, INVALID_HANDLE_VALUE);
    CBoxWatcher boxes;
    CPipeWriter pipe(owner, L"Write Error");
    ASSERT_TRUE(pipe.Create(name, GENERIC_WRITE | FILE_READ_ATTRIBUTES | FILE_WRITE_ATTRIBUTES, 0, nullptr,
                            OPEN_EXISTING, 0));
    // A pipe that does not wait takes only what fits in its buffer.
    DWORD mode = PIPE_NOWAIT;
    ASSERT_TRUE(SetNamedPipeHandleState(pipe.Handle(), &mode, nullptr, nullptr));
    const std::vector<BYTE> data(1 << 20, 0x55);
    EXPECT_FALSE(pipe.Write(data.data(), static_cast<DWORD>(data.size())));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_WRITE_FAULT));
    ASSERT_EQ(boxes.Count(), 1u);
    EXPECT_EQ(boxes[0].text, FailureText(L"WriteFile", name, ERROR_WRITE_FAULT));
    pipe.Close();
    CloseHandle(server);
}

TEST_F(Files, SizeOfAClosedFile)
{
    CBoxWatcher boxes;
    CFileRead bare;
    DWORD size = 7;
    EXPECT_FALSE(bare.IsOpen());
    EXPECT_FALSE(bare.GetFileSize(size));
    EXPECT_EQ(boxes.Count(), 0u);

    CFileRead2 file(owner, L"Read Error");
    EXPECT_FALSE(file.GetFileSize(size));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
    ASSERT_EQ(boxes.Count(), 1u);
    EXPECT_EQ(boxes[0].text, FailureText(L"GetFileSize", L"", ERROR_INVALID_HANDLE));
    EXPECT_EQ(size, 7u);
}

TEST_F(Files, ReadThroughTheHandle)
{
    folder.Write(L"data.bin", "0123456789");
    CBoxWatcher boxes;
    CFileRead2 file(owner, L"Read Error");
    ASSERT_TRUE(file.Create(folder.File(L"data.bin"), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0));
    DWORD size = 0;
    EXPECT_TRUE(file.GetFileSize(size));
    EXPECT_EQ(size, 10u);
    char buffer[8] = {};
    DWORD read = 0;
    // A position given by an OVERLAPPED structure.
    OVERLAPPED at{};
    at.Offset = 6;
    ASSERT_TRUE(file.Read(buffer, 8, read, &at));
    EXPECT_EQ(std::string(buffer, read), "6789");
    ASSERT_TRUE(file.Read(buffer, 8, read));
    EXPECT_EQ(read, 0u);

    file.Close();
    EXPECT_FALSE(file.IsOpen());
    EXPECT_FALSE(file.Read(buffer, 8, read));
    ASSERT_EQ(boxes.Count(), 1u);
    EXPECT_EQ(boxes[0].text, FailureText(L"ReadFile", folder.File(L"data.bin"), ERROR_INVALID_HANDLE));
}

// Every whole-file read names the most it takes; a longer file is refused
// before anything is allocated for it, whatever its size, or cut there when
// the reader asks for the head of a file.
TEST_F(Files, ALongerFileIsRefusedOrCutBeforeItIsAllocated)
{
    constexpr DWORD kLongest = 1 << 20;
    const std::string head = "Q7 TX Gain Calibration data written on 2026-12-06";
    const struct {
        const char* what;
        ULONGLONG size;
        bool cutLonger;
        // The bytes read, or 0 for a refusal.
        DWORD read;
    } rows[] = {
        {"as long as it may be", kLongest, false, kLongest},
        {"one byte longer", kLongest + 1, false, 0},
        {"2.5 GB", 2560ull << 20, false, 0},
        {"beyond 4 GB", (4ull << 30) + 1, false, 0},
        {"beyond 4 GB, its head", (4ull << 30) + 1, true, kLongest},
        {"one byte longer, its head", kLongest + 1, true, kLongest},
        {"as long as it may be, its head", kLongest, true, kLongest},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        const std::wstring path = folder.File(L"long.txt");
        ASSERT_TRUE(WriteSparseFile(path, row.size, head));
        CBoxWatcher boxes;
        CFileRead3 file(owner, L"Read Error");
        bool read = false;
        if (row.cutLonger) {
            file.Attach(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr),
                        path);
            read = file.Load(kLongest, true);
        } else {
            read = file.Open(path, kLongest);
        }
        EXPECT_EQ(read, row.read != 0);
        if (row.read) {
            EXPECT_EQ(file.Bytes().size(), row.read);
            EXPECT_EQ(std::string(file.Bytes().begin(), file.Bytes().begin() + head.size()), head);
            EXPECT_EQ(file.IsCut(), row.size > kLongest);
            EXPECT_EQ(boxes.Count(), 0u);
        } else {
            EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_TOO_LARGE));
            EXPECT_FALSE(file.IsOpen());
            ASSERT_EQ(boxes.Count(), 1u);
            EXPECT_EQ(boxes[0].text, L"ReadFile failed on \"" + path + L"\"\r\nError 0x000000DF: " +
                                         FormatErrorText(ERROR_FILE_TOO_LARGE));
        }
        file.Close();
        DeleteFileW(path.c_str());
    }
}

// A replaced file reaches the disk before its rename: a flush that fails
// keeps the old file, and the box names the flush.
TEST_F(Files, AReplacementIsFlushedBeforeItTakesThePlaceOfTheOldFile)
{
    const std::wstring path = folder.Write(L"record.txt", "old");
    CBoxWatcher boxes;
    CFileWrite2 file(owner, L"Write Error");
    CFileWrite2::FailNextFlush();
    EXPECT_FALSE(file.Replace(path, L"q7x", [&] { return file.WriteString(L"new"); }));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_IO_DEVICE));
    ASSERT_EQ(boxes.Count(), 1u);
    EXPECT_EQ(boxes[0].text, FailureText(L"FlushFileBuffers", path, ERROR_IO_DEVICE));
    EXPECT_EQ(ReadFileBytes(path), "old");

    EXPECT_TRUE(file.Replace(path, L"q7x", [&] { return file.WriteString(L"new"); }));
    EXPECT_EQ(ReadFileBytes(path), "new");
    WIN32_FIND_DATAW found;
    const HANDLE search = FindFirstFileW(folder.File(L"q7x*").c_str(), &found);
    EXPECT_EQ(search, INVALID_HANDLE_VALUE) << "no temporary file is left";
    if (search != INVALID_HANDLE_VALUE)
        FindClose(search);
}
