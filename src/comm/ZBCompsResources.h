#pragma once
// The library's message table: 82 rows of English and German texts (Windows-1252 bytes).
// Rows 0-48 are messages, rows 49-81 the texts of the setup dialog.

#include <cstdint>

constexpr int ZBMessageRows = 82;
constexpr int zbLangEnglish = 1;
constexpr int zbLangGerman = 2;

// Row Row in Language (0 = empty, 1 = English, 2 = German); "" for anything outside the table.
const char* ZBMessage(int Row, int Language);

// Rows named by their use.
enum ZBMessageRow : int {
    zbMsgSuccess = 0,
    zbMsgUnknownError = 1,
    zbMsgDeviceErrorFirst = 2, // 2..28: error replies of the device
    zbMsgDeviceErrorLast = 28,
    zbMsgUnknownProtocol = 29,
    zbMsgSystemError = 30,
    zbMsgCommError = 31,
    zbMsgCeBreak = 32, // 32..39: CE_BREAK, CE_FRAME, CE_IOE, CE_MODE, CE_OVERRUN, CE_RXOVER, CE_RXPARITY, CE_TXFULL
    zbMsgCeTxFull = 39,
    zbMsgGeneralCommError = 40,
    zbMsgBufferEmpty = 41, // 41..48: ecBufferEmpty, ecTimeout, ecCheckSum, ecHeader8296,
    zbMsgStartChar = 48,   //         ecDuplication82, ecHeaderDleStx, ecDuplicationDle, ecStartChar
    // Setup dialog
    zbDlgHelpFile = 49,
    zbDlgTitle = 50,
    zbDlgOK = 51,
    zbDlgCancel = 52,
    zbDlgPageAnschluss = 53,
    zbDlgPageErweitert = 54,
    zbDlgPortLabel = 55,
    zbDlgCom1 = 56, // 56..59: "COM 1".."COM 4" (unused by the dialog)
    zbDlgIORangeLabel = 60,
    zbDlgBaudrateLabel = 61,
    zbDlgDatabitsLabel = 62,
    zbDlgParityLabel = 63,
    zbDlgParityNone = 64, // 64..66: None, Even, Odd
    zbDlgStopbitsLabel = 67,
    zbDlgHardwareLabel = 68,
    zbDlgHardwareStandard = 69, // 69..72: Standard, PCLab, Phoenix, User defined
    zbDlgPortTypeLabel = 73,
    zbDlgReceiverLabel = 74,
    zbDlgReceiverNone = 75, // 75..76: None, Register 7 = 2
    zbDlgTransmitterLabel = 77,
    zbDlgTransmitterNone = 78, // 78..81: None, Register 7 = 1, RTS = 1, DTR = 0
};

// The row worded for an error code of TCommError.Code; zbMsgUnknownError for other codes.
int MessageRowOfErrorCode(uint32_t Code);
