#pragma once
// The whole RS485 line at once: backs up, verifies or restores unit after unit, each with the
// single-unit runs (TReadSequence, TWriteSequence) on the same port. For every unit it sets the
// line settings the unit answers at, selects it ("sc n"), identifies it ("rt", "rh", "rx"), then
//   backup:  reads parameters and setpoints and saves DIR/<unit>-<serial>.bak, as Backup does;
//            after every unit DIR/line.csv is written again, so an interruption leaves a manifest
//            that says which units are saved;
//   verify:  compares type and serial with the manifest and the values read with the file;
//   restore: refuses a unit of another type than its row's, one that reports no serial and one whose
//            serial is not the row's (the last two unless it is declared replacement hardware), then
//            writes the file's values and "bp", as Restore does. A unit that fails says what it now
//            holds: not written, written in part (up to which value; "bp" not sent), or every value
//            written with "bp" unanswered.
// A unit that fails is marked with where it stopped and the next one goes on; a lost line ends the
// run, marking the units not reached. Cancel ends the running request first, as the single runs do.
// The command-line tool and the device search window both drive it.

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "app/core/Global_var.h"
#include "comm/FoundDevice.h"
#include "comm/KT750Protocol.h"
#include "comm/ZBComm.h"
#include "params/core/LineManifest.h"
#include "params/core/ReadSequence.h"
#include "params/core/SetComparison.h"
#include "params/core/WriteSequence.h"

enum class TLineJob { Backup, Verify, Restore };

// One unit to work on.
struct TLineTarget {
    int Unit = 0;
    std::optional<TUnitLine> Line; // the settings it answers at; nullopt: the port's as they are
    // Verify and restore: its manifest row and the values of its file.
    TLineRow Row;
    TParameterValues Parameters{};
    TSetpointValues Setpoints{}; // index 1..48
    bool Replacement = false;    // restore: new hardware, its serial may differ from the row's
};

// The units a device search found, each at the settings it answered at (data bits as given, since
// the search does not vary them), in the order of their unit numbers; a unit found at several
// settings once, at the first.
std::vector<TLineTarget> LineTargetsOfFound(const std::vector<TFoundDevice>& Found, TDataBit Databits);

enum class TLineUnitState { Waiting, Running, Done, Failed };

struct TLineUnitResult {
    TLineUnitState State = TLineUnitState::Waiting;
    // What the run found and did: identification, file, size, digest, time, status text.
    TLineRow Row;
    // Verify: type or serial that differ ("serial: SN 004705 -> SN 009999"), then the values.
    std::vector<std::string> IdentityDifferences;
    std::vector<TValueDifference> ValueDifferences;

    bool Matches() const { return State == TLineUnitState::Done && IdentityDifferences.empty() && ValueDifferences.empty(); }
};

class TLineSequence {
public:
    static constexpr int ValuesPerUnit = ParameterCount + SetpointCount; // 448

    explicit TLineSequence(TZBComm& Port);
    TLineSequence(const TLineSequence&) = delete;
    TLineSequence& operator=(const TLineSequence&) = delete;

    // Starts the job over Targets in their order. Dir is where the backups (and the manifest) are.
    void Start(TLineJob Job, std::string Dir, std::vector<TLineTarget> Targets);
    // Stops the run once the request on its way has ended; units done stay done, the unit running
    // is marked "interrupted at ...", the others "not started".
    void Cancel();

    bool Running() const { return running_; }
    TLineJob Job() const { return job_; }
    const std::vector<TLineUnitResult>& Units() const { return results_; }
    // Index of the unit being worked on (into Units()), -1 when none.
    int Current() const { return current_; }
    // Values of the current unit transferred so far (0..448).
    int ValuesDone() const;
    bool LineLost() const { return lineLost_; }
    bool Cancelled() const { return cancelRequested_; }
    // Restore: the manifest's rows, so that a unit answering with another row's serial is named.
    void SetManifestRows(std::vector<TLineRow> Rows) { manifestRows_ = std::move(Rows); }
    // Backup: why the manifest could not be written, empty when it was.
    const std::string& ManifestError() const { return manifestError_; }
    std::string ManifestPath() const;
    // True when every unit ended as it should (verify: and matched).
    bool AllOk() const;

    std::function<void()> OnChanged;  // progress or a unit's outcome changed
    std::function<void()> OnFinished; // the run has ended (manifest written for a backup)

    // "sc n", "rt", "rh", "rx": foot CR, the port's 100 ms.
    TKT750Protocol KT750LijnSelect;

private:
    enum class TStep { Idle, Select, Type, Version, Serial, Transfer };

    void StartUnit();
    void SendStep(TStep Step, const std::string& Text, bool Again = false);
    // A wrong reply to the select or an identification request is asked for once more, as the
    // transfers ask for theirs; false when it was already (a second one fails the unit).
    bool AskAgain();
    void SelectReply(const std::vector<uint8_t>& Reply);
    void SelectError(const TCommError& Error);
    void IdentityKnown();
    void TransferChanged(const TTransferSequence& Sequence);
    void TransferClosed(const TTransferSequence& Sequence);
    void TransferEnded(const TTransferView& View);
    void SaveBackup();
    void UnitFailed(const std::string& Status);
    void UnitDone();
    void NextUnit();
    void Finish();
    void WriteManifest();
    void MarkRemaining(const std::string& Status);
    void Changed();
    // "rt" while identifying, "P123" while transferring.
    std::string Where() const;
    // Restore: what a unit that failed now holds, added to its status.
    std::string WrittenSoFar() const;
    // Restore: why the unit just identified must not be written into, or "".
    std::string RestoreRefusal() const;
    TLineUnitResult& Result() { return results_[static_cast<std::size_t>(current_)]; }
    const TLineTarget& Target() const { return targets_[static_cast<std::size_t>(current_)]; }

    TZBComm& port_;
    TReadSequence read_;
    TWriteSequence write_;
    TLineJob job_ = TLineJob::Backup;
    std::string dir_;
    std::vector<TLineTarget> targets_;
    std::vector<TLineUnitResult> results_;
    std::vector<TLineRow> manifestRows_;
    int current_ = -1;
    TStep step_ = TStep::Idle;
    bool stepAskedAgain_ = false;
    bool running_ = false;
    bool cancelRequested_ = false;
    bool lineLost_ = false;
    bool computing_ = false; // the current unit's "bp" was sent
    std::string manifestError_;
};
