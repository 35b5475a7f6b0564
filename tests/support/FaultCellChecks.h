#pragma once
// Small helpers of the window fault matrices: a bounded wait that lets the event loop run, and a
// cell's list of problems.
#include "LineFaultMatrix.h"

#include <QDeadlineTimer>
#include <QTest>

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
