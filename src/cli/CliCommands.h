#pragma once
// The commands of kmt40-cli. Each one connects (port, "sc n") only once its input is known to be
// sound, and returns how the run ends.

#include "cli/CliOptions.h"
#include "cli/CliOutcome.h"

#include <functional>
#include <optional>

struct TFoundDevice;

namespace cli {

class CliSession;

// Device commands without a file: the identification texts, a raw exchange, the computation.
// Json: the result as one JSON document (JsonRecords.h) instead of lines of text.
CliOutcome RunIdentify(CliSession& Session, bool Json);
CliOutcome RunSend(CliSession& Session, const std::string& Text);
CliOutcome RunBp(CliSession& Session);

// Controller to file.
CliOutcome RunReadParams(CliSession& Session, const std::string& File);
CliOutcome RunReadSetpoints(CliSession& Session, const std::string& File);
CliOutcome RunBackup(CliSession& Session, const std::string& File);

// File to controller.
CliOutcome RunWriteParams(CliSession& Session, const std::string& File);
CliOutcome RunWriteSetpoints(CliSession& Session, const std::string& File);
CliOutcome RunRestore(CliSession& Session, const std::string& File);

// Comparing sets: two files, or the controller with a file (which changes nothing on it). One
// line per difference on standard output (Json: one document listing them); exit 0 when equal,
// 1 when they differ.
CliOutcome RunDiff(CliSession& Session, const std::string& First, const std::string& Second, bool Json);
CliOutcome RunVerify(CliSession& Session, const std::string& File, bool Json);
// The device search over the line; prints the CSV of the units found as they are found (with
// --json: one document of them at the end).
CliOutcome RunSearch(CliSession& Session, const CliOptions& Options);
// The search itself, with the search options of Options: OnStarted once the port is open, OnFound
// for every unit as it is found. Nothing when it ran to its end.
std::optional<CliOutcome> SearchUnits(CliSession& Session, const CliOptions& Options, const std::function<void()>& OnStarted,
                                      const std::function<void(const TFoundDevice&)>& OnFound);

// The whole line: every unit's backup and the manifest DIR/line.csv; the units compared with their
// backups; the backups written back into the units they came from.
CliOutcome RunLineBackup(CliSession& Session, const CliOptions& Options);
CliOutcome RunLineVerify(CliSession& Session, const CliOptions& Options);
CliOutcome RunLineRestore(CliSession& Session, const CliOptions& Options);

} // namespace cli
