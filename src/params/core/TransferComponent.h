#pragma once
// The controller's transfer requests ("rp", "wp", "bp" ...) are bare ASCII lines ended by CR.

#include "comm/KT750Protocol.h"

// No head character, foot CR, TimeoutTime ms for the first reply byte (0: the port's 100 ms).
inline void ConfigureTransferComponent(TKT750Protocol& Component, int TimeoutTime)
{
    Component.SetProtocolHead(TSequenceChar::scNone);
    Component.SetProtocolFoot(TSequenceChar::scCR);
    Component.SetTimeoutTime(TimeoutTime);
}
