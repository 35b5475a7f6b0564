#pragma once
// What every command of a run shares: the line settings, the serial line, the output streams and
// the progress display. Commands connect only when they are ready to talk to the controller, so a
// file that is refused is refused before anything is sent.

#include "cli/CliOutcome.h"
#include "cli/DeviceLink.h"
#include "cli/LineSetup.h"
#include "cli/ProgressDisplay.h"

#include <optional>
#include <ostream>

namespace cli {

class CliSession {
public:
    CliSession(LoopDispatcher& loop, LineSetup setup, std::ostream& out, std::ostream& err, bool errIsTerminal);

    // Opens the port and selects the unit with "sc n". The failure, when it fails.
    std::optional<CliOutcome> Connect();
    // Opens the port only (the line commands select each unit themselves).
    std::optional<CliOutcome> OpenLine();
    // The device and settings, for messages: "/dev/ttyUSB0 (38400,E,8,1)".
    std::string Where() const;

    const LineSetup& Setup() const { return setup_; }
    // Opens the port at these settings (ordinals, as application.ini holds them) instead.
    void UseLineSettings(int Baudrate, int Databits, int Parity, int Stopbits)
    {
        setup_.port.Baudrate = Baudrate;
        setup_.port.FrameDatabits = Databits;
        setup_.port.FrameParitybit = Parity;
        setup_.port.FrameStopbits = Stopbits;
    }
    DeviceLink& Link() { return link_; }
    std::ostream& Out() { return out_; }
    std::ostream& Err() { return err_; }
    // Says once, on an open line, that its server keeps its own line settings.
    void NoteLineSettingsOfTheServer();
    ProgressDisplay& Progress() { return progress_; }

private:
    LineSetup setup_;
    DeviceLink link_;
    std::ostream& out_;
    std::ostream& err_;
    ProgressDisplay progress_;
};

} // namespace cli
