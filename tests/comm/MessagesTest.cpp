// The library's message table, its language rule and readable error texts.

#include "comm/ZBCompsResources.h"
#include "comm/ZBGlobal.h"
#include "comm/ZBPlatform.h"
#include "comm/ZBTypes.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <string>

TEST(MessageTable, RowsInBothLanguages)
{
    for (int row = 0; row < ZBMessageRows; ++row) {
        EXPECT_STREQ(ZBMessage(row, 0), "") << row;
        EXPECT_STRNE(ZBMessage(row, zbLangEnglish), "") << row;
        EXPECT_STRNE(ZBMessage(row, zbLangGerman), "") << row;
    }
    EXPECT_STREQ(ZBMessage(ZBMessageRows, zbLangEnglish), "");
    EXPECT_STREQ(ZBMessage(-1, zbLangEnglish), "");
    EXPECT_STREQ(ZBMessage(0, 3), "");

    EXPECT_STREQ(ZBMessage(42, zbLangEnglish), "Timeout error!");
    // German texts are single-byte Windows-1252: "Datenübertragung erfolgreich!" with ü = FCh.
    EXPECT_EQ(std::string(ZBMessage(0, zbLangGerman)), "Daten\xFC" "bertragung erfolgreich!");
    EXPECT_EQ(std::string(ZBMessage(10, zbLangEnglish)), "Wrong function number!\r\nFunction undefined.");
    EXPECT_STREQ(ZBMessage(zbDlgHelpFile, zbLangEnglish), "ZBInitCommE.hlp");
    EXPECT_STREQ(ZBMessage(zbDlgCom1 + 3, zbLangGerman), "COM 4");
    EXPECT_STREQ(ZBMessage(zbDlgTransmitterNone + 3, zbLangEnglish), "DTR = 0");
    EXPECT_EQ(std::string(ZBMessage(zbDlgPageAnschluss, zbLangGerman)), "Anschlu\xDF" "einstellungen");
}

TEST(MessageTable, ErrorCodesHaveTheirRows)
{
    EXPECT_EQ(MessageRowOfErrorCode(ecBufferEmpty), 41);
    EXPECT_EQ(MessageRowOfErrorCode(ecTimeout), 42);
    EXPECT_EQ(MessageRowOfErrorCode(ecStartChar), 48);
    EXPECT_EQ(MessageRowOfErrorCode(ecSystemError), 30);
    EXPECT_EQ(MessageRowOfErrorCode(ecCommError), 31);
    EXPECT_EQ(MessageRowOfErrorCode(12345), 1);
}

TEST(MessageTable, ReadableErrorTexts)
{
    EXPECT_EQ(CommErrorText({ecTimeout, 0, 0}, zbLangEnglish), "Timeout error!");
    EXPECT_EQ(CommErrorText({ecCommError, 0, ceFrame | ceRxParity}, zbLangEnglish),
              "Windows error message(s)!\r\n[0008h]: The hardware detected a framing error."
              "\r\n[0004h]: The hardware detected a parity error.");
    EXPECT_EQ(CommErrorText({ecPortClosed, 0, 0}, zbLangEnglish), "General communication error [0001h]:");
}

TEST(SystemErrors, NamedByNumberAndTheSystemsOwnTextOnOneLine)
{
    // 5: EIO on POSIX, ERROR_ACCESS_DENIED on Windows; both have a text of their own.
    const std::string text = SystemErrorText(5);
    ASSERT_FALSE(text.empty());
    EXPECT_EQ(text.find_first_of("\r\n"), std::string::npos) << text;
    EXPECT_NE(text.back(), ' ') << text;
    EXPECT_EQ(SystemErrorDescription(5), "system error 5 (" + text + ")");
    // A number the system has no text for still reads as a message.
    EXPECT_FALSE(SystemErrorText(0x7FFFFFF0u).empty());
    // The library's own message puts the same text after its number.
    const std::string message = CommErrorText({ecSystemError, 5, 0}, zbLangEnglish);
    EXPECT_EQ(message, "System error [0005h]: " + text);
}

TEST(SystemErrors, TheErrorsOfAVanishedDeviceCountAsALostLine)
{
#ifdef _WIN32
    // Aborted, not connected, bad command, general failure, access denied, not ready (Wine).
    for (uint32_t gone : {995u, 1167u, 22u, 31u, 5u, 21u})
        EXPECT_TRUE(IsDeviceGoneError(gone)) << gone;
    // Not found, sharing violation, time-out: the device is not known to have gone.
    for (uint32_t other : {0u, 2u, 32u, 1460u})
        EXPECT_FALSE(IsDeviceGoneError(other)) << other;
#else
    for (uint32_t gone : {EIO, ENXIO, ENODEV})
        EXPECT_TRUE(IsDeviceGoneError(gone)) << gone;
    for (uint32_t other : {0, EAGAIN, EBUSY, EACCES, ENOENT})
        EXPECT_FALSE(IsDeviceGoneError(static_cast<uint32_t>(other))) << other;
#endif
}
