#pragma once
// Runs one read or write of the parameter engines to its end on the command line: progress on
// standard error and, when it stops early, the one line that names the parameter or setpoint.

#include "cli/CliOutcome.h"
#include "params/core/TransferView.h"

#include <optional>
#include <string>

class TReadSequence;
class TTransferSequence;

namespace cli {

class CliSession;

enum class TransferDirection { Read, Write };

// Starts Sequence (mode and values already set) and serves the line until it ends. Nothing on
// success.
std::optional<CliOutcome> RunTransfer(CliSession& Session, TTransferSequence& Sequence, TransferDirection Direction);

// Connects and reads the whole run of Mode from the controller; nothing when it completed.
std::optional<CliOutcome> ReadFromDevice(CliSession& Session, TReadSequence& Read, TTransferMode Mode);

// The failure of a run that ended with View, e.g. "no reply (time-out) while reading parameter P017".
std::string DescribeTransferFailure(const TTransferView& View, TransferDirection Direction);

// "parameter P017" / "setpoint S005".
std::string TransferItemName(bool Parameters, int Number);

} // namespace cli
