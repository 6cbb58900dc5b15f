// The diagnostic log: exact bytes of a run, replacement, cap, and the cases
// where it must stay out of the way.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <thread>
#include <vector>

#include "FileBytes.h"
#include "files/LogFile.h"

namespace {

SYSTEMTIME March4th2012() {
    SYSTEMTIME t{};
    t.wYear = 2012;
    t.wMonth = 3;
    t.wDay = 4;
    t.wDayOfWeek = 0;
    t.wHour = 5;
    t.wMinute = 6;
    t.wSecond = 7;
    t.wMilliseconds = 89;
    return t;
}

SYSTEMTIME LateEvening() {
    SYSTEMTIME t{};
    t.wYear = 1999;
    t.wMonth = 12;
    t.wDay = 31;
    t.wHour = 23;
    t.wMinute = 59;
    t.wSecond = 58;
    t.wMilliseconds = 999;
    return t;
}

void WriteBytes(const std::wstring& path, size_t count, unsigned char fill) {
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    std::vector<unsigned char> data(count, fill);
    DWORD written = 0;
    WriteFile(file, data.data(), static_cast<DWORD>(count), &written, nullptr);
    CloseHandle(file);
}

// UTF-16LE bytes of ASCII text, one character at a time.
void AppendAscii(std::vector<unsigned char>& out, const char* text) {
    for (; *text; ++text) {
        out.push_back(static_cast<unsigned char>(*text));
        out.push_back(0);
    }
}

// FF FE and the run header of 2012-03-04 05:06:07.089, spelled out.
std::vector<unsigned char> ExpectedMarch4th() {
    std::vector<unsigned char> b = {0xFF, 0xFE};
    AppendAscii(b, "\r\n[");
    b.insert(b.end(), {0xE5, 0x65, 0xD7, 0x5F});  // U+65E5 U+5FD7
    AppendAscii(b, "]===========2012-03-04 05:06:07 089 \r\n");
    return b;
}

size_t HeaderBytes() { return ExpectedMarch4th().size(); }

std::vector<unsigned char> Utf16(const std::wstring& text) {
    std::vector<unsigned char> b;
    for (wchar_t c : text) {
        b.push_back(static_cast<unsigned char>(c & 0xFF));
        b.push_back(static_cast<unsigned char>(c >> 8));
    }
    return b;
}

class LogFileTest : public ::testing::Test {
protected:
    void SetUp() override { log.SetClock(March4th2012); }
    LogFile log;
};

}  // namespace

TEST_F(LogFileTest, RunOfMarch4th2012IsExactlyTheseBytes) {
    DeleteFileW(L"exact.log");
    ASSERT_EQ(log.Open(L"exact.log", 102400), 1);
    EXPECT_TRUE(log.IsOpen());
    EXPECT_EQ(ReadBytes(L"exact.log"), ExpectedMarch4th()) << "while open";
    EXPECT_EQ(log.Size(), 0u) << "the header does not count against the cap";
    EXPECT_EQ(log.Close(), &log);
    EXPECT_FALSE(log.IsOpen());
    EXPECT_EQ(ReadBytes(L"exact.log"), ExpectedMarch4th()) << "after close";
}

TEST_F(LogFileTest, HeaderFieldsArePaddedAndFullWidth) {
    log.SetClock(LateEvening);
    ASSERT_EQ(log.Open(L"late.log", 0), 1);
    log.Close();
    std::vector<unsigned char> expected = {0xFF, 0xFE};
    AppendAscii(expected, "\r\n[");
    expected.insert(expected.end(), {0xE5, 0x65, 0xD7, 0x5F});
    AppendAscii(expected, "]===========1999-12-31 23:59:58 999 \r\n");
    EXPECT_EQ(ReadBytes(L"late.log"), expected);
}

TEST_F(LogFileTest, SecondOpenReturnsZeroAndChangesNothing) {
    DeleteFileW(L"second.log");
    ASSERT_EQ(log.Open(L"first.log", 100), 1);
    log.SetClock(LateEvening);
    EXPECT_EQ(log.Open(L"first.log", 0), 0) << "same name";
    EXPECT_EQ(log.Open(L"second.log", 0), 0) << "other name";
    EXPECT_EQ(GetFileAttributesW(L"second.log"), INVALID_FILE_ATTRIBUTES) << "no second file";
    EXPECT_EQ(log.Name(), L"first.log");
    EXPECT_EQ(ReadBytes(L"first.log"), ExpectedMarch4th()) << "no second header";

    // The first cap (100) still holds.
    log.Write(std::wstring(60, L'x'));
    log.Flush();
    EXPECT_EQ(log.Size(), 0u) << "120 bytes reach the cap of the first open";
    EXPECT_EQ(ReadBytes(L"first.log").size(), 0u);
}

TEST_F(LogFileTest, LogOfAnEarlierRunIsReplaced) {
    const struct {
        size_t bytes;
        uint32_t cap;
    } rows[] = {{10, 102400}, {5000, 102400}, {200000, 102400}, {200000, 0}, {102400, 102400}};
    for (const auto& r : rows) {
        WriteBytes(L"old.log", r.bytes, 'A');
        ASSERT_EQ(log.Open(L"old.log", r.cap), 1);
        EXPECT_EQ(log.Size(), 0u) << r.bytes << " old bytes";
        log.Close();
        EXPECT_EQ(ReadBytes(L"old.log"), ExpectedMarch4th()) << r.bytes << " old bytes, cap " << r.cap;
    }
}

TEST_F(LogFileTest, UncreatableFileLeavesTheProgramWithoutALog) {
    CreateDirectoryW(L"a_folder", nullptr);
    const wchar_t* names[] = {L"no_such_folder\\Mirvostan.log", L"a_folder", L"", L"bad<name>.log"};
    for (size_t i = 0; i < sizeof(names) / sizeof(names[0]); ++i) {
        const wchar_t* name = names[i];
        SCOPED_TRACE(testing::Message() << "name #" << i);
        EXPECT_EQ(log.Open(name, 102400), 0);
        EXPECT_FALSE(log.IsOpen());
        log.Flush();
        EXPECT_EQ(log.Write(L"lost"), 0);
        EXPECT_EQ(log.Close(), nullptr);
    }
    // Still usable once a name works.
    EXPECT_EQ(log.Open(L"after_failure.log", 0), 1);
    log.Close();
    EXPECT_EQ(ReadBytes(L"after_failure.log"), ExpectedMarch4th());
}

TEST_F(LogFileTest, CloseWhenNotOpenReturnsNull) {
    EXPECT_FALSE(log.IsOpen());
    EXPECT_EQ(log.Close(), nullptr);
    ASSERT_EQ(log.Open(L"twice.log", 0), 1);
    EXPECT_EQ(log.Close(), &log);
    EXPECT_EQ(log.Close(), nullptr);
}

// Open and close repeat on one object; the lock must survive every cycle.
TEST_F(LogFileTest, OpenCloseCyclesKeepWorking) {
    for (int i = 0; i < 20; ++i) {
        std::wstring name = L"cycle" + std::to_wstring(i % 3) + L".log";
        ASSERT_EQ(log.Open(name, 0), 1) << "cycle " << i;
        log.Write(L"run " + std::to_wstring(i));
        log.Flush();
        ASSERT_EQ(log.Close(), &log) << "cycle " << i;
    }
    std::vector<unsigned char> expected = ExpectedMarch4th();
    std::vector<unsigned char> text = Utf16(L"run 19");
    expected.insert(expected.end(), text.begin(), text.end());
    EXPECT_EQ(ReadBytes(L"cycle1.log"), expected);
}

TEST_F(LogFileTest, FlushAddsToSizeAndTheCapEmptiesTheFile) {
    ASSERT_EQ(log.Open(L"cap.log", 100), 1);
    log.Flush();
    EXPECT_EQ(log.Size(), 0u) << "nothing buffered";

    log.Write(std::wstring(20, L'a'));  // 40 bytes
    log.Flush();
    EXPECT_EQ(log.Size(), 40u);
    std::vector<unsigned char> expected = ExpectedMarch4th();
    std::vector<unsigned char> text = Utf16(std::wstring(20, L'a'));
    expected.insert(expected.end(), text.begin(), text.end());
    EXPECT_EQ(ReadBytes(L"cap.log"), expected);

    log.Write(std::wstring(29, L'b'));  // 98 bytes in all: under the cap
    log.Flush();
    EXPECT_EQ(log.Size(), 98u);
    log.Write(L"c");  // 100: the cap
    log.Flush();
    EXPECT_EQ(log.Size(), 0u);
    EXPECT_EQ(ReadBytes(L"cap.log").size(), 0u);

    log.Write(L"after");
    log.Close();
    EXPECT_EQ(ReadBytes(L"cap.log"), Utf16(L"after")) << "writing goes on from the start";
}

TEST_F(LogFileTest, TextLongerThanTheBufferArrivesWhole) {
    std::wstring text;
    for (int i = 0; i < 1500; ++i) text += L"line" + std::to_wstring(i) + L"\r\n";
    ASSERT_GT(text.size(), 3 * LogFile::kBufferChars);
    ASSERT_EQ(log.Open(L"long.log", 0), 1);
    log.Write(std::wstring(LogFile::kBufferChars - 1, L'-'));  // leaves one character free
    log.Write(text);
    log.Close();
    std::vector<unsigned char> expected = ExpectedMarch4th();
    std::vector<unsigned char> dashes = Utf16(std::wstring(LogFile::kBufferChars - 1, L'-'));
    std::vector<unsigned char> body = Utf16(text);
    expected.insert(expected.end(), dashes.begin(), dashes.end());
    expected.insert(expected.end(), body.begin(), body.end());
    EXPECT_EQ(ReadBytes(L"long.log"), expected);
}

TEST_F(LogFileTest, WritersOnSeveralThreadsLoseNothing) {
    ASSERT_EQ(log.Open(L"threads.log", 0), 1);
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([this, t] {
            const std::wstring line = L"thread " + std::to_wstring(t) + L" says hello\r\n";
            for (int i = 0; i < 500; ++i) {
                log.Write(line);
                if (i % 50 == 0) log.Flush();
            }
        });
    }
    for (auto& th : threads) th.join();
    log.Close();
    std::vector<unsigned char> bytes = ReadBytes(L"threads.log");
    ASSERT_GE(bytes.size(), HeaderBytes());
    std::wstring body(reinterpret_cast<const wchar_t*>(bytes.data() + HeaderBytes()), (bytes.size() - HeaderBytes()) / 2);
    for (int t = 0; t < 4; ++t) {
        const std::wstring line = L"thread " + std::to_wstring(t) + L" says hello\r\n";
        int count = 0;
        for (size_t pos = body.find(line); pos != std::wstring::npos; pos = body.find(line, pos + 1)) ++count;
        EXPECT_EQ(count, 500) << "thread " << t;
    }
    EXPECT_EQ(body.size(), 4u * 500u * std::wstring(L"thread 0 says hello\r\n").size());
}

TEST(LogFileDefaults, RealClockStampsTheLocalTime) {
    SYSTEMTIME before;
    GetLocalTime(&before);
    LogFile log;
    ASSERT_EQ(log.Open(L"now.log", 0), 1);
    log.Close();
    std::vector<unsigned char> bytes = ReadBytes(L"now.log");
    ASSERT_EQ(bytes.size(), HeaderBytes());
    std::wstring text(reinterpret_cast<const wchar_t*>(bytes.data() + 2), (bytes.size() - 2) / 2);
    wchar_t date[16];
    swprintf(date, 16, L"%04d-%02d-%02d", before.wYear, before.wMonth, before.wDay);
    // Around midnight the day may have turned between the two readings.
    SYSTEMTIME after;
    GetLocalTime(&after);
    if (after.wDay == before.wDay) {
        EXPECT_NE(text.find(date), std::wstring::npos);
    }
}

TEST(LogFileDefaults, OneProcessWideLogStartsClosed) {
    LogFile& a = TheLogFile();
    LogFile& b = TheLogFile();
    EXPECT_EQ(&a, &b);
    EXPECT_FALSE(a.IsOpen());
    EXPECT_EQ(a.Close(), nullptr);
}

// A log left open is closed by its owner going away, with the buffer written.
TEST(LogFileDefaults, DestructorFlushesAndCloses) {
    {
        LogFile log;
        log.SetClock(March4th2012);
        ASSERT_EQ(log.Open(L"scoped.log", 0), 1);
        log.Write(L"bye");
    }
    std::vector<unsigned char> expected = ExpectedMarch4th();
    std::vector<unsigned char> text = Utf16(L"bye");
    expected.insert(expected.end(), text.begin(), text.end());
    EXPECT_EQ(ReadBytes(L"scoped.log"), expected);
    HANDLE again = CreateFileW(L"scoped.log", GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    EXPECT_NE(again, INVALID_HANDLE_VALUE) << "the handle was released";
    if (again != INVALID_HANDLE_VALUE) CloseHandle(again);
}
