#include "comm/ZBGlobal.h"

#include "comm/ZBCompsResources.h"
#include "comm/ZBPlatform.h"

#include <cstdio>

namespace {

std::string formatted(int Row, int Language, uint32_t Number)
{
    char text[512];
    std::snprintf(text, sizeof text, ZBMessage(Row, Language), static_cast<unsigned>(Number));
    return text;
}

} // namespace

std::string CommErrorText(const TCommError& CommError, int Language)
{
    if (Language != zbLangGerman)
        Language = zbLangEnglish;
    switch (CommError.Code) {
    case ecSystemError:
        return formatted(zbMsgSystemError, Language, CommError.SystemError) + " " +
               SystemErrorText(CommError.SystemError);
    case ecCommError: {
        std::string text = ZBMessage(zbMsgCommError, Language);
        // Rows 32..39 in the order of these flags.
        static const uint32_t flags[] = {ceBreak, ceFrame, ceIOE, ceMode, ceOverrun, ceRxOver, ceRxParity, ceTxFull};
        for (int i = 0; i < 8; ++i)
            if (CommError.CommErrors & flags[i])
                text += "\r\n" + formatted(zbMsgCeBreak + i, Language, flags[i]);
        return text;
    }
    case ecDeviceError:
        return ZBMessage(3, Language);
    default:
        break;
    }
    const int row = MessageRowOfErrorCode(CommError.Code);
    if (row == zbMsgUnknownError)
        return formatted(zbMsgGeneralCommError, Language, CommError.Code);
    return ZBMessage(row, Language);
}
