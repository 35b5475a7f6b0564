#pragma once
// Setting enumerations, error record and error codes of the serial library.
// Ordinals are stored in application.ini, so the order of every enumeration is fixed.

#include <cstdint>
#include <optional>
#include <string>

enum class TBaudrate : uint8_t { br1200, br2400, br4800, br9600, br19200, br28800, br38400, br57600, br115200 };
enum class TDataBit : uint8_t { db_7, db_8 };
enum class TParityBit : uint8_t { None, Even, Odd };
enum class TStopBit : uint8_t { sb_1, sb_2 };
enum class TPort : uint8_t {
    COM1, COM2, COM3, COM4, COM5, COM6, COM7, COM8,
    COM9, COM10, COM11, COM12, COM13, COM14, COM15, COM16
};
enum class TPortAddr : uint8_t { pa_03F8, pa_02F8, pa_03E8, pa_02E8 };
enum class TPortType : uint8_t { RS232C, RS422, RS485 };
enum class THardware : uint8_t { Standard, PCLabPCL745, PhoenixPSM, UserDefined };
enum class TTransmitDriver : uint8_t { tdNone, tdRegister7to1, tdRTSto1, tdDTRto0 };
enum class TReceiveDriver : uint8_t { rdNone, rdRegister7to2 };

enum class TSequenceChar : uint8_t {
    scNone, scSOH, scSTX, scETX, scEOT, scENQ, scACK, scBEL, scBS, scHT, scLF, scVT, scFF, scCR, scSO, scSI,
    scDLE, scDC1, scDC2, scDC3, scDC4, scNAK, scSYN, scETB, scCAN, scEM, scSUB, scESC, scFS, scGS, scRS, scUS,
    scSPACE
};

// Number of values of each enumeration; an ordinal at or beyond it is not a value.
template <typename E> struct TEnumCount;
template <> struct TEnumCount<TBaudrate> { static constexpr int value = 9; };
template <> struct TEnumCount<TDataBit> { static constexpr int value = 2; };
template <> struct TEnumCount<TParityBit> { static constexpr int value = 3; };
template <> struct TEnumCount<TStopBit> { static constexpr int value = 2; };
template <> struct TEnumCount<TPort> { static constexpr int value = 16; };
template <> struct TEnumCount<TPortAddr> { static constexpr int value = 4; };
template <> struct TEnumCount<TPortType> { static constexpr int value = 3; };
template <> struct TEnumCount<THardware> { static constexpr int value = 4; };
template <> struct TEnumCount<TTransmitDriver> { static constexpr int value = 4; };
template <> struct TEnumCount<TReceiveDriver> { static constexpr int value = 2; };
template <> struct TEnumCount<TSequenceChar> { static constexpr int value = 33; };

template <typename E> constexpr int Ordinal(E Value) { return static_cast<int>(Value); }
template <typename E> constexpr bool IsValidEnum(E Value)
{
    return static_cast<int>(Value) >= 0 && static_cast<int>(Value) < TEnumCount<E>::value;
}
// An ordinal read from a file becomes a value only when it names one.
template <typename E> constexpr std::optional<E> EnumFromOrdinal(long long Ordinal)
{
    if (Ordinal < 0 || Ordinal >= TEnumCount<E>::value)
        return std::nullopt;
    return static_cast<E>(Ordinal);
}

// Outcome of one request. SystemError is set with ecSystemError, CommErrors with ecCommError.
// LineText: the line's own words for a system error (a network line names what its server did,
// which no error number says); it does not make two errors different.
struct TCommError {
    uint32_t Code = 0;
    uint32_t SystemError = 0;
    uint32_t CommErrors = 0;
    std::string LineText{};

    bool IsZero() const { return Code == 0 && SystemError == 0 && CommErrors == 0; }
    friend bool operator==(const TCommError& A, const TCommError& B)
    {
        return A.Code == B.Code && A.SystemError == B.SystemError && A.CommErrors == B.CommErrors;
    }
};

constexpr uint32_t ecNoError = 0;
constexpr uint32_t ecPortClosed = 1;
constexpr uint32_t ecDeviceError = 0x1000;
constexpr uint32_t ecSystemError = 0x1001;
constexpr uint32_t ecCommError = 0x1002;
constexpr uint32_t ecBufferEmpty = 0x1003;
constexpr uint32_t ecTimeout = 0x1070;
constexpr uint32_t ecCheckSum = 0x1071;
constexpr uint32_t ecHeader8296 = 0x1072;
constexpr uint32_t ecDuplication82 = 0x1073;
constexpr uint32_t ecHeaderDleStx = 0x1074;
constexpr uint32_t ecDuplicationDle = 0x1075;
constexpr uint32_t ecStartChar = 0x1076;

// Line-error flags of TCommError.CommErrors. The values are those of the Win32 CE_ flags so that a
// flag word means the same on every platform (own names: the Win32 ones are macros).
constexpr uint32_t ceRxOver = 0x0001;
constexpr uint32_t ceOverrun = 0x0002;
constexpr uint32_t ceRxParity = 0x0004;
constexpr uint32_t ceFrame = 0x0008;
constexpr uint32_t ceBreak = 0x0010;
constexpr uint32_t ceTxFull = 0x0100;
constexpr uint32_t ceIOE = 0x0400;
constexpr uint32_t ceMode = 0x8000;
// Not a Win32 flag: the line error was reported for the reply before this exchange's, which had
// already been taken as good (a network server's first report, coming a moment late). The caller
// that keeps that reply asks for it again; this exchange is not repeated by the line.
constexpr uint32_t ceEarlierReply = 0x10000;
// With ceEarlierReply: how many replies taken before this exchange the report may concern (those
// taken within the moment a server's report may lag), at least 1, in the top byte.
constexpr int ceEarlierRepliesShift = 24;
constexpr uint32_t ceEarlierReplyCount = 0xFF000000u;
// The line's own error flags of CommErrors (as shown in messages), without the earlier reply's marks.
inline uint32_t LineErrorFlags(uint32_t CommErrors)
{
    return CommErrors & ~(ceEarlierReply | ceEarlierReplyCount);
}
inline int EarlierRepliesConcerned(uint32_t CommErrors)
{
    const int count = static_cast<int>(CommErrors >> ceEarlierRepliesShift);
    return count > 0 ? count : 1;
}

// Byte of each sequence character: ordinal n -> byte n up to scUS, scSPACE -> 20h; 0 means none.
extern const uint8_t SequenceCharTable[33];
// Table look-up that gives 0 (no character) for a value outside the enumeration.
uint8_t SequenceCharByte(TSequenceChar Value);
