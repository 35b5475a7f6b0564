#pragma once
// Small helpers of the window fault matrices: a bounded wait that lets the event loop run, a
// cell's list of problems, and one more run of a failed cell.
#include "LineFaultMatrix.h"

#include <QDeadlineTimer>
#include <QTest>

#include <functional>
#include <iostream>
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

// Runs a cell; a failed cell runs once more and counts as failed only when it fails again. A fault
// of the program fails every time; a stall of a shared, overloaded machine beyond the time-out
// (seen as a plain exchange timing out) seldom hits twice. The first run's problems are printed.
template <class Row, class Runner>
std::vector<std::string> RunCellTwiceIfNeeded(const Row& CellRow, LineFault Fault, Runner&& Run)
{
    std::vector<std::string> problems = Run(CellRow, Fault);
    if (problems.empty())
        return problems;
    std::cout << "cell " << CellRow.operation << " / " << LineFaultName(Fault) << " run again after:";
    for (const std::string& problem : problems)
        std::cout << ' ' << problem << ';';
    std::cout << std::endl;
    return Run(CellRow, Fault);
}
