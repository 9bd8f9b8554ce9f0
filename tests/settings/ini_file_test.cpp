#include "settings/ini_file.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "common/test_files.h"
#include "settings/settings_text.h"

namespace {

// Every test works on a UTF-16 settings file of its own that is the file of the run.
class IniFileTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(WriteFileBytes(m_file, Utf16FileBytes(L"[Program]\r\n")));
        SetSettingsPath(m_file);
    }
    void Store(const wchar_t* key, const wchar_t* value) {
        ASSERT_TRUE(WritePrivateProfileStringW(L"Program", key, value, m_file.c_str()));
    }

    TestFolder m_folder{L"ini"};
    std::wstring m_file = m_folder / L"Orbelin.ini";
};

TEST_F(IniFileTest, ReadIntRules) {
    const struct {
        const wchar_t* stored;  // null: key missing
        int defaultValue, low, high, expected;
    } cases[] = {
        {nullptr, 50, 1, 100, 50},  {L"", 50, 1, 100, 50},     {L"12abc", 0, -1, -1, 12},
        {L"abc", 7, -1, -1, 0},     {L"250", 50, 1, 100, 100}, {L"-5", 50, 1, 100, 1},
        {L"250", 50, -1, 100, 250}, {L"-5", 50, 1, -1, -5},    {L"  33 ", 0, -1, -1, 33},
    };
    for (const auto& testCase : cases) {
        SCOPED_TRACE(testCase.stored ? std::string(testCase.stored, testCase.stored + wcslen(testCase.stored))
                                     : std::string("<missing>"));
        WritePrivateProfileStringW(L"Program", L"m_rotate_speed", testCase.stored, m_file.c_str());
        EXPECT_EQ(IniReadInt(L"Program", L"m_rotate_speed", testCase.defaultValue, testCase.low, testCase.high, m_file),
                  testCase.expected);
    }
}

TEST_F(IniFileTest, WritesGoToTheFileAtOnce) {
    EXPECT_TRUE(IniWriteInt(L"cx", -17));
    EXPECT_EQ(ReadIniValue(m_file, L"Program", L"cx"), L"-17");
    EXPECT_EQ(IniReadInt(L"cx", 400), -17);

    EXPECT_TRUE(IniWriteText(L"DDC_Font", L"Segoe UI"));
    EXPECT_EQ(ReadIniValue(m_file, L"Program", L"DDC_Font"), L"Segoe UI");

    // The file stays UTF-16 with its mark.
    const auto bytes = ReadFileBytes(m_file);
    ASSERT_TRUE(bytes.has_value());
    EXPECT_TRUE(StartsWithUtf16Mark(*bytes));
}

TEST_F(IniFileTest, ReadTextUsesTheBufferAsDefault) {
    std::wstring value = L"Tahoma";
    EXPECT_EQ(IniReadText(L"DDC_Font", value), 6u);
    EXPECT_EQ(value, L"Tahoma");

    Store(L"DDC_Font", L"Verdana");
    EXPECT_EQ(IniReadText(L"DDC_Font", value), 7u);
    EXPECT_EQ(value, L"Verdana");

    Store(L"DDC_Font", std::wstring(3000, L'x').c_str());
    EXPECT_EQ(IniReadText(L"DDC_Font", value), 1023u);
    EXPECT_EQ(IniReadText(L"DDC_Font", value, 2048), 2047u);
}

TEST_F(IniFileTest, EncodedValues) {
    const std::wstring folder = L"C:\\Users\\Zoë\\Bilder \xD83D\xDCF7";
    EXPECT_TRUE(IniWriteEncoded(L"m_image_folder", folder));
    EXPECT_EQ(ReadIniValue(m_file, L"Program", L"m_image_folder"), EncodeSettingText(folder));
    EXPECT_EQ(IniReadEncoded(L"m_image_folder"), folder);

    Store(L"m_image_folder", L"C:\\never\\encoded");
    EXPECT_EQ(IniReadEncoded(L"m_image_folder"), L"");
}

TEST_F(IniFileTest, CodeSectionHoldsLongListsWhole) {
    std::wstring list;
    for (int i = 0; i < 32; ++i) {
        list += L"C:\\Users\\Someone\\Pictures\\A folder with a long name " + std::to_wstring(i) + L"\\" +
                std::wstring(150, static_cast<wchar_t>(L'a' + i % 26)) + L".jpg\r\n";
    }
    EXPECT_TRUE(IniWriteCodeSection(L"Protected_User_Images", list));
    EXPECT_EQ(IniReadCodeSection(L"Protected_User_Images"), list);

    // Writing again replaces the whole section.
    EXPECT_TRUE(IniWriteCodeSection(L"Protected_User_Images", L"Z:\\one.png\r\n"));
    EXPECT_EQ(IniReadCodeSection(L"Protected_User_Images"), L"Z:\\one.png\r\n");
    wchar_t section[4096];
    const DWORD length = GetPrivateProfileSectionW(L"Protected_User_Images_code", section, 4096, m_file.c_str());
    EXPECT_EQ(std::wstring(section, wcsnlen(section, length)), EncodeSettingText(L"Z:\\one.png\r\n") + L"=");

    // Other keys are untouched by section writes.
    Store(L"cx", L"512");
    EXPECT_TRUE(IniWriteCodeSection(L"Protected_User_Images", L""));
    EXPECT_EQ(IniReadInt(L"cx", 400), 512);
    EXPECT_EQ(IniReadCodeSection(L"Protected_User_Images"), L"");
    EXPECT_EQ(IniReadCodeSection(L"Never_Written"), L"");
}

TEST_F(IniFileTest, CodeSectionLongerThanTheFirstReadBufferIsReadWhole) {
    // 32 paths of 400 characters: about 76,000 characters once encoded, more than one read of
    // 65,536 characters holds.
    std::wstring list;
    for (int i = 0; i < 32; ++i) {
        std::wstring path = L"C:\\Pictures\\" + std::to_wstring(100 + i) + L"\\";
        path += std::wstring(400 - path.size() - 4, static_cast<wchar_t>(L'a' + i % 26)) + L".jpg";
        ASSERT_EQ(path.size(), 400u);
        list += path + L"\r\n";
    }
    ASSERT_GT(EncodeSettingText(list).size(), 65536u);
    EXPECT_TRUE(IniWriteCodeSection(L"Protected_User_Images", list));
    EXPECT_EQ(IniReadCodeSection(L"Protected_User_Images"), list);
}

TEST_F(IniFileTest, CodeSectionIsNeverMissingWhileItIsReplaced) {
    const std::wstring first = L"C:\\a\\first.png\r\nC:\\a\\second.png\r\n";
    const std::wstring second = L"D:\\b\\third.png\r\n";
    ASSERT_TRUE(IniWriteCodeSection(L"Protected_User_Images", first));

    // A reader on another thread, as a display worker reads the list, while the section is
    // replaced again and again.
    std::atomic<bool> done{false};
    std::atomic<int> reads{0};
    std::atomic<int> strayReads{0};
    std::wstring stray;
    std::thread reader([&] {
        while (!done) {
            const std::wstring read = IniReadCodeSection(L"Protected_User_Images");
            ++reads;
            if (read != first && read != second && strayReads++ == 0) stray = read;
        }
    });
    // At least 400 writes, and on until the reader has read 400 times (bounded, should it hang).
    for (int i = 0; (i < 400 || reads < 400) && i < 100000; ++i) {
        ASSERT_TRUE(IniWriteCodeSection(L"Protected_User_Images", i % 2 == 0 ? second : first));
    }
    done = true;
    reader.join();
    EXPECT_GE(reads, 400);
    EXPECT_EQ(strayReads, 0) << "of " << reads << " reads; the first stray one has " << stray.size() << " characters";
}

TEST_F(IniFileTest, CodeSectionInAReadOnlyFileIsNotWrittenAndSaysSo) {
    ASSERT_TRUE(IniWriteCodeSection(L"Protected_User_Images", L"C:\\kept.png\r\n"));
    ASSERT_TRUE(SetFileAttributesW(m_file.c_str(), FILE_ATTRIBUTE_READONLY));
    EXPECT_FALSE(IniWriteCodeSection(L"Protected_User_Images", L"C:\\lost.png\r\n"));
    EXPECT_EQ(IniReadCodeSection(L"Protected_User_Images"), L"C:\\kept.png\r\n");
    ASSERT_TRUE(SetFileAttributesW(m_file.c_str(), FILE_ATTRIBUTE_NORMAL));
    EXPECT_TRUE(IniWriteCodeSection(L"Protected_User_Images", L"C:\\new.png\r\n"));
    EXPECT_EQ(IniReadCodeSection(L"Protected_User_Images"), L"C:\\new.png\r\n");
}

TEST_F(IniFileTest, CodeSectionWrittenWithoutEqualsSignStillReads) {
    // Windows keeps a section line without "=" as it is; such files read back the same.
    const std::wstring content =
        L"[Program]\r\n[Protected_User_Images_code]\r\n" + EncodeSettingText(L"Z:\\a.png\r\n") + L"\r\n";
    ASSERT_TRUE(WriteFileBytes(m_file, Utf16FileBytes(content)));
    EXPECT_EQ(IniReadCodeSection(L"Protected_User_Images"), L"Z:\\a.png\r\n");
}

TEST(IniFileFailures, MissingFolderGivesDefaultsAndFailedWrites) {
    const std::wstring file = L"Z:\\no\\such\\folder\\Orbelin.ini";
    EXPECT_FALSE(IniWriteInt(L"Program", L"cx", 5, file));
    EXPECT_EQ(IniReadInt(L"Program", L"cx", 400, -1, -1, file), 400);
    std::wstring value = L"fallback";
    IniReadText(L"Program", L"DDC_Font", value, file);
    EXPECT_EQ(value, L"fallback");
}

}  // namespace
