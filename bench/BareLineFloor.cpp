#include "BareLineFloor.h"

namespace bench {

bool BareLineFloor::Open(const std::string& DevicePath)
{
    line_ = zbserial::CreatePlatformSerialLine();
    const zbserial::LineSettings settings{38400, 8, zbserial::EVENPARITY, zbserial::ONESTOPBIT};
    if (line_->Open(DevicePath) && line_->SetSettings(settings) && line_->SetReadTimeout(1000))
        return true;
    line_.reset();
    return false;
}

double BareLineFloor::ExchangeMs(const std::string& Request, bool WithSilence)
{
    if (!line_)
        return -1;
    const std::string frame = Request + "\r";
    line_->Purge();
    const auto start = Clock::now();
    line_->Write(reinterpret_cast<const uint8_t*>(frame.data()), frame.size());
    line_->Drain();
    uint8_t byte = 0;
    auto last = start;
    // The reply ends with LF, so no silence needs to be waited for here.
    while (line_->ReadByte(byte) == zbserial::ReadStatus::Byte) {
        last = Clock::now();
        if (byte == '\n')
            return Ms(last - start) + (WithSilence ? SilenceMs : 0.0);
    }
    return -1;
}

void BareLineFloor::Close()
{
    if (line_)
        line_->Close();
    line_.reset();
}

} // namespace bench
