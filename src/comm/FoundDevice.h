#pragma once
// A unit the device search found, and its texts as the search grid and its CSV file show them:
// unit "05", the identification, baud rate "19200", parity "Even", stop bits "1".

#include "comm/ZBTypes.h"

#include <array>
#include <optional>
#include <string>
#include <vector>

struct TFoundDevice {
    int Unit = 0;
    std::string Identification; // the rt, rh and rx texts joined by three blanks each
    TBaudrate Baudrate = TBaudrate::br9600;
    TParityBit Parity = TParityBit::Even;
    TStopBit Stopbits = TStopBit::sb_1;
};

using TFoundDeviceTexts = std::array<std::string, 5>;

TFoundDeviceTexts FoundDeviceTexts(const TFoundDevice& Device);

// "9600" ... "57600" (any rate of the enumeration); "None", "Even", "Odd"; "1", "2".
std::string BaudrateText(TBaudrate Baudrate);
std::string ParityText(TParityBit Parity);
std::string StopbitsText(TStopBit Stopbits);
// The reverse, for the five search rates and the texts above only; nullopt for anything else.
std::optional<TBaudrate> SearchBaudrateOfText(const std::string& Text);
std::optional<TParityBit> ParityOfText(const std::string& Text);
std::optional<TStopBit> StopbitsOfText(const std::string& Text);

// The CSV of a search: the header line, then one line per find with the five texts. A text with a
// comma, quote or line break is quoted (quotes doubled); lines end in LF.
std::string FoundDevicesCsvHeader();
std::string FoundDeviceCsvLine(const TFoundDeviceTexts& Texts);
std::string FoundDevicesCsv(const std::vector<TFoundDeviceTexts>& Rows);
