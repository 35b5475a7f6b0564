#include "cli/CliHelp.h"

namespace cli {

std::string HelpText()
{
    return R"(Usage: kmt40-cli [OPTIONS] COMMAND [ARGUMENT]

Reads, writes and backs up a KM40/KM41 controller over a serial line, without windows.
Every command but search and the line commands first selects the unit with "sc N".

Commands:
  identify                  print the controller's three identification texts
                            (replies to "rt", "rh" and "rx"), one per line
  read-params FILE.app      read parameters 0..399 into a parameter file
  read-setpoints FILE.aps   read setpoints 1..48 into a setpoint file
  write-params FILE.app     write the 400 parameters of a parameter file, then let the
                            controller compute them ("bp")
  write-setpoints FILE.aps  write the 48 setpoints of a setpoint file
  backup FILE.bak           read all parameters and setpoints into a backup file
  restore FILE.bak          write a backup file's parameters and setpoints, then "bp"
  send TEXT                 send TEXT (several words are joined by blanks) and print
                            the raw reply
  bp                        let the controller compute its parameters; prints "bp -1"
  diff A B                  compare two files (.app, .aps, .bak): one line per differing
                            parameter or setpoint, "P030<TAB>Name: 1,50 -> 2,00"; exit 1
                            when they differ (a .bak against an .app compares parameters)
  verify FILE               read the controller and compare it with FILE, as diff does;
                            nothing is written to the controller
  search                    search the line for units: unit numbers 0..31 at 9600, 19200,
                            28800, 38400 and 57600 bit/s; prints a CSV line per unit found
                            (unit,identification,baud,parity,stopbits)
    --from N                start at N bit/s (9600 19200 28800 38400 57600; default 9600)
    --auto-parity           try None, Odd and Even (default: the parity of the settings)
    --auto-stopbits         try 1 and 2 stop bits (default: those of the settings)
    --last-unit N           search unit numbers 0..N only (default 31)
  line-backup DIR           back up every unit of the line into DIR: one file per unit,
                            DIR/<unit>-<serial>.bak (as backup writes it), and the manifest
                            DIR/line.csv (unit, type, version, serial, file, bytes, SHA-256,
                            time, status, line settings); a unit that fails is marked with
                            where it stopped and the others go on; Ctrl-C keeps what is done
    --units LIST            these units (1,3,5-8); default: every unit 0..31 that answers
                            "sc N" at the line settings
    --search                find the units with the search first (its options above apply)
  line-verify DIR           check every file of DIR/line.csv against its SHA-256, then each
                            unit's type, serial, parameters and setpoints against its file;
                            one line per difference, "unit 05: S003<TAB>12,50 -> 13,00"
  line-restore DIR          write each unit's file back into that unit, then "bp"; a unit
                            of another type, or whose serial is not the manifest's, is refused
    --units LIST            these units of the manifest only
    --replace LIST          these units are replacement hardware: their serial may differ

Options (the defaults come from application.ini beside the program):
  --port DEVICE|COMn        serial device path (/dev/ttyUSB0), or a port name COM1..COM16
                            as mapped by the [Poorten] section of application.ini, or a
                            line behind a serial device server: rfc2217://HOST:PORT (sets
                            the line settings there) or tcp://HOST:PORT (raw)
  --baud N                  1200, 2400, 4800, 9600, 19200, 28800, 38400, 57600 or 115200
  --parity N|E|O            none, even or odd
  --databits 7|8
  --stopbits 1|2
  --unit N                  unit number 0..31 on a shared line
  --fast                    end each reply at its CR LF instead of after 50 ms of silence
                            (many times faster; "send" keeps the silence, as its reply may
                            have several lines); fast_reply_end=1 in [Serieel] of
                            application.ini does the same
  --json                    identify, search, diff, verify and line-verify: print the result
                            as one JSON document (UTF-8) with the fields of the text form
  -h, --help                show this text
  --version                 print the program version
Options may also follow the command; "--" ends them (for a send text beginning with "-").

A file given to write-params, write-setpoints or restore is checked completely before
anything is sent. Files are saved whole or not at all: a failed save keeps the old file.
Progress goes to standard error: a bar on a terminal, plain lines otherwise.

Exit status: 0 success; 1 device or file error, with one line on standard error that
names the parameter or setpoint concerned; 2 wrong usage. diff and verify: 0 when the sets
are equal, 1 when they differ. search: 0 when at least one unit answered, 1 when none did.
line-backup and line-restore: 0 when every unit was done, 1 when one was not; line-verify:
0 when the whole line matches its backup.
)";
}

} // namespace cli
