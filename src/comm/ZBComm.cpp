#include "comm/ZBComm.h"

#include "comm/PortNames.h"
#include "comm/ZBCommThread.h"
#include "comm/serial/NetworkLine.h"

#include <algorithm>
#include <exception>

namespace {

// Port value -> device control block value, indexed by ordinal (setters keep ordinals in range).
const uint32_t BaudrateTable[9] = {1200, 2400, 4800, 9600, 19200, 28800, 38400, 57600, 115200};
const uint8_t DatabitsTable[2] = {7, 8};
const uint8_t ParityTable[3] = {zbserial::NOPARITY, zbserial::EVENPARITY, zbserial::ODDPARITY};
const uint8_t StopbitsTable[2] = {zbserial::ONESTOPBIT, zbserial::TWOSTOPBITS};

// The driver settings that belong to each hardware choice (UserDefined has none).
TTransmitDriver transmitDriverOf(THardware Hardware)
{
    switch (Hardware) {
    case THardware::PCLabPCL745: return TTransmitDriver::tdRegister7to1;
    case THardware::PhoenixPSM: return TTransmitDriver::tdDTRto0;
    default: return TTransmitDriver::tdNone;
    }
}

TReceiveDriver receiveDriverOf(THardware Hardware)
{
    return Hardware == THardware::PCLabPCL745 ? TReceiveDriver::rdRegister7to2 : TReceiveDriver::rdNone;
}

bool hasFixedRow(THardware Hardware) { return Hardware != THardware::UserDefined; }

} // namespace

TZBComm::TZBComm(UiDispatcher* Dispatcher) : dispatcher_(Dispatcher ? Dispatcher : &UiDispatcher::Default()) {}

TZBComm::~TZBComm()
{
    destroying_ = true;
    try {
        Close();
    } catch (...) {
        // A destructor cannot report; the descriptor is released either way.
    }
    while (!boundComponents_.empty())
        boundComponents_.front()->SetZBComm(nullptr);
    reapRetiredThreads(true);
}

void TZBComm::Assign(const TZBComm& Source)
{
    if (&Source == this || Active())
        return;
    SetPortName(Source.PortName());
    SetPortAddress(Source.PortAddress());
    SetBaudrate(Source.Baudrate());
    SetFrameDatabits(Source.FrameDatabits());
    SetFrameParitybit(Source.FrameParitybit());
    SetFrameStopbits(Source.FrameStopbits());
    SetHardware(Source.Hardware());
    SetPortType(Source.PortType());
    SetReceiveDriver(Source.ReceiveDriver());
    SetTransmitDriver(Source.TransmitDriver());
}

void TZBComm::SetActive(bool Value)
{
    if (Value)
        Open();
    else
        Close();
}

std::string TZBComm::DevicePath() const
{
    return PortDevicePath(portName_);
}

void TZBComm::SetLineFactory(LineFactory Factory)
{
    lineFactory_ = std::move(Factory);
}

// ---- frame settings: may change while open, applied at once ----

void TZBComm::applyLineSettings()
{
    if (Active() && line_ && !line_->SetSettings(dcb_))
        throw ECommInitError(line_->LastErrorText());
}

void TZBComm::SetBaudrate(TBaudrate Value)
{
    if (!IsValidEnum(Value))
        return;
    baudrate_ = Value;
    if (Active()) {
        dcb_.BaudRate = BaudrateTable[Ordinal(Value)];
        applyLineSettings();
    }
}

void TZBComm::SetFrameDatabits(TDataBit Value)
{
    if (!IsValidEnum(Value))
        return;
    databits_ = Value;
    if (Active()) {
        dcb_.ByteSize = DatabitsTable[Ordinal(Value)];
        applyLineSettings();
    }
}

void TZBComm::SetFrameParitybit(TParityBit Value)
{
    if (!IsValidEnum(Value))
        return;
    paritybit_ = Value;
    if (Active()) {
        dcb_.Parity = ParityTable[Ordinal(Value)];
        applyLineSettings();
    }
}

void TZBComm::SetFrameStopbits(TStopBit Value)
{
    if (!IsValidEnum(Value))
        return;
    stopbits_ = Value;
    if (Active()) {
        dcb_.StopBits = StopbitsTable[Ordinal(Value)];
        applyLineSettings();
    }
}

// ---- settings fixed while open, kept consistent with each other ----

void TZBComm::raiseActive(const char* Action) const
{
    throw ECommInitError(PortDisplayName(portName_) + " is active!\r\n\r\n" + Action);
}

void TZBComm::SetPortName(TPort Value)
{
    if (Active())
        raiseActive("Cannot change port");
    if (!IsValidEnum(Value))
        return;
    portName_ = Value;
    // COM1..COM4 sit at the four standard addresses; higher ports keep whatever address was set.
    if (Ordinal(Value) < TEnumCount<TPortAddr>::value)
        SetPortAddress(static_cast<TPortAddr>(Ordinal(Value)));
}

void TZBComm::SetPortAddress(TPortAddr Value)
{
    if (Active())
        raiseActive("Cannot change the port address");
    if (!IsValidEnum(Value))
        return;
    portAddress_ = Value;
}

void TZBComm::SetPortType(TPortType Value)
{
    if (Active())
        raiseActive("Cannot change the port type");
    if (!IsValidEnum(Value))
        return;
    portType_ = Value;
    const bool needsRS232 = hardware_ == THardware::Standard || hardware_ == THardware::PhoenixPSM;
    if ((needsRS232 && Value != TPortType::RS232C) ||
        (hardware_ == THardware::PCLabPCL745 && Value == TPortType::RS232C))
        SetHardware(THardware::UserDefined);
}

void TZBComm::SetHardware(THardware Value)
{
    if (Active())
        raiseActive("Cannot change port hardware");
    if (!IsValidEnum(Value))
        return;
    hardware_ = Value;
    switch (Value) {
    case THardware::Standard:
    case THardware::PhoenixPSM:
        if (portType_ != TPortType::RS232C)
            SetPortType(TPortType::RS232C);
        SetTransmitDriver(transmitDriverOf(Value));
        SetReceiveDriver(TReceiveDriver::rdNone);
        break;
    case THardware::PCLabPCL745:
        if (portType_ == TPortType::RS232C)
            SetPortType(TPortType::RS485);
        SetTransmitDriver(TTransmitDriver::tdRegister7to1);
        SetReceiveDriver(TReceiveDriver::rdRegister7to2);
        break;
    case THardware::UserDefined:
        break;
    }
}

void TZBComm::SetTransmitDriver(TTransmitDriver Value)
{
    if (Active())
        raiseActive("Cannot change device driver");
    if (!IsValidEnum(Value))
        return;
    transmitDriver_ = Value;
    if (hasFixedRow(hardware_) && Value != transmitDriverOf(hardware_))
        SetHardware(THardware::UserDefined);
}

void TZBComm::SetReceiveDriver(TReceiveDriver Value)
{
    if (Active())
        raiseActive("Cannot change device driver");
    if (!IsValidEnum(Value))
        return;
    receiveDriver_ = Value;
    if (hasFixedRow(hardware_) && Value != receiveDriverOf(hardware_))
        SetHardware(THardware::UserDefined);
}

// ---- open and close ----

void TZBComm::Open()
{
    if (Active())
        return;
    reapRetiredThreads(false);
    const std::string device = PortDevicePath(portName_);
    std::shared_ptr<zbserial::SerialLine> line = lineFactory_ ? lineFactory_() : zbserial::CreateSerialLineFor(device);
    if (!line)
        throw ECommHandleError("No serial line available");
    if (!line->Open(device))
        throw ECommHandleError(line->LastErrorText());
    line_ = std::move(line);
    active_.store(true);
    try {
        if (!line_->SetQueueSizes(ZBBufferSize, ZBBufferSize))
            throw ECommInitError(line_->LastErrorText());
        if (!line_->GetSettings(dcb_))
            throw ECommInitError(line_->LastErrorText());
        dcb_.ByteSize = DatabitsTable[Ordinal(databits_)];
        dcb_.StopBits = StopbitsTable[Ordinal(stopbits_)];
        dcb_.Parity = ParityTable[Ordinal(paritybit_)];
        SetBaudrate(baudrate_);
        thread_ = TZBCommThread::Create(*this, line_, *dispatcher_);
        if (OnActivate && !destroying_)
            OnActivate(this);
    } catch (...) {
        closeAfterFailedOpen();
        throw;
    }
}

void TZBComm::closeAfterFailedOpen()
{
    try {
        Close();
    } catch (...) {
        // The failure that made us close is the one the caller hears about.
    }
    line_.reset();
}

void TZBComm::Close()
{
    if (!Active())
        return;
    active_.store(false);
    // Whatever a component's handler does, the port ends up closed: the thread ends, the queue
    // empties and the device is released. The first exception of a handler is passed on afterwards.
    std::exception_ptr handlerFailure;
    // Cyclic components stop first; a handler may unbind components, so walk a copy.
    const std::vector<TZBComponent*> components = boundComponents_;
    for (TZBComponent* component : components) {
        if (std::find(boundComponents_.begin(), boundComponents_.end(), component) == boundComponents_.end())
            continue;
        if (auto* protocol = dynamic_cast<TZBProtocolComponent*>(component)) {
            try {
                protocol->SetActive(false);
            } catch (...) {
                if (!handlerFailure)
                    handlerFailure = std::current_exception();
            }
        }
    }
    requestQueue_.clear();
    for (TZBComponent* component : boundComponents_)
        if (auto* protocol = dynamic_cast<TZBProtocolComponent*>(component))
            protocol->requests_.clear();
    if (thread_) {
        std::shared_ptr<TZBCommThread> thread = std::move(thread_);
        thread->Terminate();
        thread->SetRequest(nullptr);
        if (thread->InCallback()) {
            // Closed from inside one of the thread's own callbacks: it is waiting for us, so it
            // cannot end yet. It ends by itself once the callback returns.
            retiredThreads_.push_back(std::move(thread));
        } else {
            dispatcher_->processUntil([&] { return thread->Stopped(); });
            thread->Join();
        }
    }
    std::shared_ptr<zbserial::SerialLine> line = std::move(line_);
    if (line && !line->Close()) {
        if (handlerFailure)
            std::rethrow_exception(handlerFailure);
        throw ECommHandleError(line->LastErrorText());
    }
    if (OnDeactivate && !destroying_) {
        try {
            OnDeactivate(this);
        } catch (...) {
            if (!handlerFailure)
                throw;
        }
    }
    if (handlerFailure)
        std::rethrow_exception(handlerFailure);
}

void TZBComm::reapRetiredThreads(bool Detach)
{
    for (auto it = retiredThreads_.begin(); it != retiredThreads_.end();) {
        const std::shared_ptr<TZBCommThread>& thread = *it;
        if (Detach && !thread->Stopped() && !thread->InCallback()) {
            // Out of its callback it ends at once, but its last step wakes the dispatcher: a
            // thread let go here could do that after the dispatcher (a command-line tool's loop,
            // gone once the command returns) no longer exists.
            dispatcher_->processUntil([&] { return thread->Stopped(); });
        }
        if (thread->Stopped()) {
            thread->Join();
            it = retiredThreads_.erase(it);
        } else if (Detach) {
            thread->Detach();
            it = retiredThreads_.erase(it);
        } else {
            ++it;
        }
    }
}

// ---- request queue ----

TCommError TZBComm::SettleLastReply()
{
    if (!Active() || !line_ || !requestQueue_.empty())
        return {};
    uint32_t flags = 0;
    if (!line_->SettleLastReply(flags))
        return TCommError{ecSystemError, line_->LastError(), 0, line_->LastErrorText()};
    return TCommError{flags != 0 ? ecCommError : 0u, 0, flags};
}

int TZBComm::AddRequest(TCommRequest* Request)
{
    if (!Active() || Request == nullptr)
        return -1;
    requestQueue_.push_back(Request);
    const int index = static_cast<int>(requestQueue_.size()) - 1;
    if (index == 0 && thread_)
        thread_->SetRequest(Request);
    return index;
}

void TZBComm::NextRequest()
{
    if (!requestQueue_.empty())
        requestQueue_.pop_front();
    if (Active() && !requestQueue_.empty() && thread_)
        thread_->SetRequest(requestQueue_.front());
}

std::size_t TZBComm::QueuedRequestsOf(const TZBComponent* Component) const
{
    return static_cast<std::size_t>(std::count_if(requestQueue_.begin(), requestQueue_.end(), [Component](const TCommRequest* Request) {
        return Request && Request->Component == Component;
    }));
}

void TZBComm::forgetRequest(TCommRequest* Request)
{
    if (requestQueue_.empty())
        return;
    // Waiting entries simply go; the head is being served, so it stays as an empty place that
    // NextRequest drops when the exchange ends, and its callbacks no longer reach the component.
    requestQueue_.erase(std::remove(requestQueue_.begin() + 1, requestQueue_.end(), Request), requestQueue_.end());
    if (requestQueue_.front() == Request) {
        requestQueue_.front() = nullptr;
        if (thread_)
            thread_->ForgetComponent(Request->Component);
    }
}

void TZBComm::requestAnswered(const TCommRequest* Request)
{
    if (!requestQueue_.empty() && requestQueue_.front() == Request)
        requestQueue_.front() = nullptr;
}

void TZBComm::bind(TZBComponent* Component)
{
    boundComponents_.push_back(Component);
}

void TZBComm::unbind(TZBComponent* Component)
{
    auto it = std::find(boundComponents_.begin(), boundComponents_.end(), Component);
    if (it != boundComponents_.end())
        boundComponents_.erase(it);
}
