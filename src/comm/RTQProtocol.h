#pragma once
// Binary telegram protocol DLE STX data DLE ETX check (DLE doubled). Request bytes go in with
// PutByte (byte 0 = 1 + count); the reply reaches the result stream as 1 + count followed by the data.

#include "comm/ZBComm.h"

class TRTQProtocol : public TZBProtocolComponent {
public:
    TRTQProtocol() = default;
};
