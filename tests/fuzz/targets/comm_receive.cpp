// The receiving side of the serial library through the scripted line: the reply end of the ASCII
// protocol (stop character or silence, start character, filtering) and the ZB2 and RTQ telegram
// state machines (framing, doubled bytes, check byte, reject and retry). The first byte chooses the
// protocol and its settings; the rest is what the device answers to the first request.
#include "FuzzInput.h"

#include "comm/KT750Protocol.h"
#include "comm/LoopDispatcher.h"
#include "comm/RTQProtocol.h"
#include "comm/ZB2Protocol.h"
#include "comm/ZBComm.h"
#include "comm/serial/FakeSerialLine.h"

#include <cstdlib>
#include <memory>

namespace {

struct Exchange {
    LoopDispatcher ui;
    std::shared_ptr<zbserial::FakeSerialLine> line = std::make_shared<zbserial::FakeSerialLine>();
    TZBComm port{&ui};
    TKT750Protocol ascii;
    TZB2Protocol zb2;
    TRTQProtocol rtq;
    std::size_t completions = 0;

    Exchange()
    {
        port.SetLineFactory([this] { return line; });
        line->SetSilenceAtOnce(true);
        for (TZBProtocolComponent* c : {static_cast<TZBProtocolComponent*>(&ascii),
                                        static_cast<TZBProtocolComponent*>(&zb2),
                                        static_cast<TZBProtocolComponent*>(&rtq)}) {
            c->SetZBComm(&port);
            c->OnCommResult = [this](TObject*, TMemoryStream&) { ++completions; };
            c->OnCommError = [this](TObject*, TCommError&, TMemoryStream&) { ++completions; };
        }
        ascii.SetProtocolFoot(TSequenceChar::scCR);
        port.Open();
    }

    void run(uint8_t selector, std::string_view reply)
    {
        if (!port.Active())
            port.Open();
        // Only the first request hears the reply; a retry meets silence.
        auto answered = std::make_shared<bool>(false);
        const std::string bytes(reply);
        line->SetResponder([answered, bytes](zbserial::FakeSerialLine& l, const std::vector<uint8_t>&) {
            if (!*answered)
                l.Feed(bytes);
            *answered = true;
        });
        TZBProtocolComponent* component = nullptr;
        switch (selector % 3) {
        case 0: {
            ascii.SetReceiveStart((selector & 0x10) ? TSequenceChar::scSTX : TSequenceChar::scNone);
            ascii.SetReceiveStop((selector & 0x20) ? TSequenceChar::scCR : TSequenceChar::scNone);
            ascii.SetFiltered((selector & 0x40) != 0);
            ascii.SetASCIIProtocol("rp 1");
            component = &ascii;
            break;
        }
        case 1:
        case 2: {
            component = selector % 3 == 1 ? static_cast<TZBProtocolComponent*>(&zb2) : &rtq;
            component->PutByte(0, 3);
            component->PutByte(1, 0x01);
            component->PutByte(2, (selector & 0x10) ? 0x82 : 0x10);
            break;
        }
        }
        const std::size_t before = completions;
        component->SendRequest();
        // Every request ends in a result or an error; one that never ends is a hang.
        if (!ui.runUntil([&] { return completions > before; }, 10000))
            std::abort();
    }
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, std::size_t Size)
{
    // One port for the whole run, never torn down: its thread outlives every input.
    static Exchange* exchange = new Exchange;
    const fuzz::Choice input = fuzz::TakeSelector(Data, Size);
    exchange->run(input.selector, input.rest);
    return 0;
}
