#include "cli/CliRun.h"

#include "app/core/Global_var.h"
#include "app/core/InstallLayout.h"
#include "cli/CliCommands.h"
#include "cli/CliHelp.h"
#include "cli/CliSession.h"

namespace cli {

namespace {

CliOutcome RunCommand(CliSession& session, const CliOptions& options)
{
    switch (options.command) {
    case CliCommand::Identify:
        return RunIdentify(session, options.json);
    case CliCommand::ReadParams:
        return RunReadParams(session, options.file);
    case CliCommand::ReadSetpoints:
        return RunReadSetpoints(session, options.file);
    case CliCommand::WriteParams:
        return RunWriteParams(session, options.file);
    case CliCommand::WriteSetpoints:
        return RunWriteSetpoints(session, options.file);
    case CliCommand::Backup:
        return RunBackup(session, options.file);
    case CliCommand::Restore:
        return RunRestore(session, options.file);
    case CliCommand::Send:
        return RunSend(session, options.text);
    case CliCommand::Bp:
        return RunBp(session);
    case CliCommand::Diff:
        return RunDiff(session, options.file, options.secondFile, options.json);
    case CliCommand::Verify:
        return RunVerify(session, options.file, options.json);
    case CliCommand::Search:
        return RunSearch(session, options);
    case CliCommand::LineBackup:
        return RunLineBackup(session, options);
    case CliCommand::LineVerify:
        return RunLineVerify(session, options);
    case CliCommand::LineRestore:
        return RunLineRestore(session, options);
    }
    return {ExitUsage, "unknown command"};
}

} // namespace

int RunCli(const std::vector<std::string>& args, LoopDispatcher& loop, const CliEnvironment& env)
{
    const CliParseResult parsed = ParseCliOptions(args);
    if (!parsed.ok()) {
        env.err << "kmt40-cli: " << parsed.error << " (see kmt40-cli --help)\n";
        return ExitUsage;
    }
    if (parsed.options.help) {
        env.out << HelpText();
        return ExitSuccess;
    }
    if (parsed.options.version) {
        env.out << "kmt40-cli " << ProgramVersion << '\n';
        return ExitSuccess;
    }

    CliOutcome outcome;
    try {
        // Installed, application.ini is the user's; the command-line tool only reads it.
        const TInstallLayout layout = ResolveInstallLayout(CurrentInstallEnvironment(env.programDir, false));
        ProgramDir = layout.DataDir;
        Global_var.SettingsDir = layout.SettingsDir;
        CliSession session(loop, ResolveLineSetup(parsed.options), env.out, env.err, env.errIsTerminal);
        outcome = RunCommand(session, parsed.options);
    } catch (const std::exception& e) {
        // Whatever escapes (a port that cannot be closed, memory) still ends with one line.
        outcome = CliOutcome::Failure(e.what());
    }
    env.out.flush();
    if (outcome.exitCode != ExitSuccess)
        env.err << "kmt40-cli: " << outcome.message << '\n';
    return outcome.exitCode;
}

} // namespace cli
