#pragma once
// Cells of a window fault matrix side by side: each cell in a child process of the test itself
// (a simulator, pseudo-terminal and port of its own, and its own event loop for the modal windows),
// all at once, their results gathered into the parent's table. For rows whose every run waits
// mostly for the line (448 values at the shipped end of reply take some 24 s).
//
//   if (RunsOneCell())                        // in the child: run the cell named, print its result
//       return PrintCellResult(runCell(CellIndex()));
//   RunCellsInChildProcesses(report, cells, "slotName");   // in the parent
#include "LineFaultMatrix.h"

#include <QCoreApplication>
#include <QProcess>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

#include <iostream>
#include <memory>
#include <string>
#include <utility>
#include <vector>

inline constexpr char kCellVariable[] = "KMT40_MATRIX_CELL";
inline constexpr char kCellResultMark[] = "MATRIX-CELL-RESULT";

// True in a child started for one cell.
inline bool RunsOneCell() { return qEnvironmentVariableIsSet(kCellVariable); }
inline std::size_t CellIndex() { return static_cast<std::size_t>(qEnvironmentVariableIntValue(kCellVariable)); }

// The child's one line for the parent: the mark, then each problem after a tab (none: passed).
inline void PrintCellResult(const std::vector<std::string>& problems)
{
    std::string line = kCellResultMark;
    for (std::string problem : problems) {
        for (char& c : problem)
            if (c == '\t' || c == '\n' || c == '\r')
                c = ' ';
        line += '\t' + problem;
    }
    std::cout << '\n' << line << std::endl;
}

// Starts the test's own executable once per cell with slot as its test function, and notes what
// each child printed; a child that printed no result failed its cell with its exit status.
inline void RunCellsInChildProcesses(FaultMatrixReport& report, const std::vector<std::pair<std::string, LineFault>>& cells,
                                     const char* slot, int boundMs = 240000)
{
    std::vector<std::unique_ptr<QProcess>> children;
    for (std::size_t i = 0; i < cells.size(); ++i) {
        auto child = std::make_unique<QProcess>();
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QString::fromLatin1(kCellVariable), QString::number(i));
        child->setProcessEnvironment(environment);
        child->setProcessChannelMode(QProcess::MergedChannels);
        child->start(QCoreApplication::applicationFilePath(), {QString::fromLatin1(slot)});
        children.push_back(std::move(child));
    }
    for (std::size_t i = 0; i < cells.size(); ++i) {
        QProcess& child = *children[i];
        if (!child.waitForFinished(boundMs))
            child.kill();
        child.waitForFinished(5000);
        const QString output = QString::fromLocal8Bit(child.readAll());
        std::vector<std::string> problems{"the child printed no result (exit " + std::to_string(child.exitCode()) + "): " +
                                          output.right(300).toStdString()};
        for (const QString& line : output.split(QLatin1Char('\n')))
            if (line.startsWith(QLatin1String(kCellResultMark))) {
                QStringList parts = line.trimmed().split(QLatin1Char('\t'));
                parts.removeFirst();
                problems.clear();
                for (const QString& part : parts)
                    problems.push_back(part.toStdString());
            }
        // The child printed any stall it repeated; the parent's table shows it with the cell.
        for (const QString& line : output.split(QLatin1Char('\n')))
            if (line.contains(QLatin1String("repeated after a stall of the machine")))
                std::cout << line.toStdString() << std::endl;
        report.Add(cells[i].first, cells[i].second, problems);
    }
}
