#pragma once
// A KT750 component that notes when the reply bytes reach it, for the exchange benchmarks.
#include "BareLineFloor.h"
#include "comm/KT750Protocol.h"

namespace bench {

class TimedKT750 : public TKT750Protocol {
public:
    Clock::time_point firstByte, lastByte;
    int bytes = 0;
    void DataReceived(const TZBBuffer& Data, const TZBBuffer& Sent, bool& Flag) override
    {
        const auto now = Clock::now();
        if (bytes++ == 0)
            firstByte = now;
        lastByte = now;
        TKT750Protocol::DataReceived(Data, Sent, Flag);
    }
};

} // namespace bench
