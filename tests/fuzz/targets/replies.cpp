// The controller's replies as the windows and transfers read them: value texts and numbers, the
// identification chain, error numbers, transfer and computation replies.
#include "FuzzInput.h"

#include "device/core/ErrorStatus.h"
#include "device/core/IdentificationChain.h"
#include "device/core/ReplyValue.h"
#include "params/core/TransferReplies.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, std::size_t Size)
{
    const std::vector<uint8_t> reply(Data, Data + Size);
    const std::string_view text = fuzz::AsText(Data, Size);

    const std::string value = device::ReplyValueText(reply);
    if (value.size() > device::kReplyBufferSize)
        std::abort();
    (void)device::ReplyValueText(reply, device::kIoReplyBufferSize);
    (void)device::ParseInt32(value);
    (void)device::TextLines(text);
    if (device::IsDeviceErrorValue(value))
        (void)device::DeviceErrorText(value);

    // The same reply for every step of the identification: each step shows in its own panel.
    device::IdentificationChain chain;
    chain.Start();
    for (int step = 0; step < 3; ++step) {
        const auto outcome = device::EchoMatches(reply, chain.AwaitedCommand()) ? chain.OnReply(value, true)
                                                                                  : chain.OnForeignReply();
        if (outcome.statusPanel != step + 2)
            std::abort();
    }
    if (chain.DeviceModel().size() > 4)
        std::abort();

    (void)ReplyHead(reply, Size);
    (void)ReplyEchoes(reply, "rp");
    (void)ReadReplyValue("rp 5", reply);
    (void)CheckWriteReply("wp 5 -12", reply);
    (void)DescribeWrongReply("ws 3 87227", reply);
    (void)ParseDecimalInt32(text);
    const TComputeReply compute = DecodeComputeReply(reply);
    if (compute.Success && !compute.Report.empty())
        std::abort();
    return 0;
}
