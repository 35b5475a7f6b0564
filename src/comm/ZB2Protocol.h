#pragma once
// Binary telegram protocol 82h 96h Len data check (82h doubled). Request bytes go in with PutByte
// (byte 0 = 1 + count); the reply telegram reaches the result stream as Len followed by the data.

#include "comm/ZBComm.h"

class TZB2Protocol : public TZBProtocolComponent {
public:
    TZB2Protocol() = default;
};
