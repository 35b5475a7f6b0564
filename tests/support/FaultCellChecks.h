#pragma once
// Small helpers of the window fault matrices: a bounded wait that lets the event loop run, a
// cell's list of problems, and the one report of a lost line.
#include "FakeDialogs.h"
#include "LineFaultMatrix.h"

#include <QDeadlineTimer>
#include <QTest>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

// Waits for a condition with a generous bound (the machine is shared); false when it never held.
inline bool WaitUntil(const std::function<bool()>& Condition, int TimeoutMs = 30000)
{
    QDeadlineTimer deadline(TimeoutMs);
    while (!Condition() && !deadline.hasExpired())
        QTest::qWait(5);
    return Condition();
}

// Notes a problem of the cell unless the check holds.
inline void Expect(bool Holds, const std::string& Problem, std::vector<std::string>& Problems)
{
    if (!Holds)
        Problems.push_back(Problem);
}

// A lost line is said once: exactly one of the boxes asked since First is an error box, and it
// names the line by its device (the simulator's path before the line was plugged in again).
inline void ExpectOneLineLostBox(const FakeDialogs& Dialogs, std::size_t First, const std::string& DevicePath,
                                 std::vector<std::string>& Problems)
{
    const QString device = QStringLiteral(" (") + QString::fromStdString(DevicePath) + QStringLiteral("): ");
    std::size_t errors = 0, naming = 0;
    for (std::size_t i = First; i < Dialogs.asked.size(); ++i)
        if (Dialogs.asked[i].kind == FakeDialogs::Kind::Error) {
            ++errors;
            naming += Dialogs.asked[i].text.contains(device) ? 1 : 0;
        }
    if (errors != 1 || naming != 1)
        Problems.push_back(std::to_string(errors) + " error box(es), " + std::to_string(naming) +
                           " naming the line, for the lost line");
}

// Two at once: the controller heard the requests asked, each once and in the order asked. A run
// that stopped on a fault (Complete false) heard a beginning of them, the request it stopped at
// at most twice in a row (a wrong reply is asked again once).
inline void ExpectHeardOnceInOrder(std::vector<std::string> Heard, const std::vector<std::string>& Asked, bool Complete,
                                   std::vector<std::string>& Problems)
{
    if (!Complete && Heard.size() >= 2 && Heard.back() == Heard[Heard.size() - 2])
        Heard.pop_back();
    const bool holds = Complete ? Heard == Asked
                                : Heard.size() <= Asked.size() && std::equal(Heard.begin(), Heard.end(), Asked.begin());
    if (holds)
        return;
    std::string line = "the controller heard " + std::to_string(Heard.size()) + " request(s):";
    for (std::size_t i = 0; i < Heard.size(); ++i)
        if (i >= Asked.size() || Heard[i] != Asked[i]) {
            line += " \"" + Heard[i] + "\" where \"" + (i < Asked.size() ? Asked[i] : std::string("nothing")) +
                    "\" was asked (request " + std::to_string(i + 1) + ")";
            break;
        }
    if (Heard.size() < Asked.size() && std::equal(Heard.begin(), Heard.end(), Asked.begin()))
        line += " \"" + Asked[Heard.size()] + "\" never heard";
    Problems.push_back(line);
}
