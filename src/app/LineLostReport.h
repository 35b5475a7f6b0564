#pragma once
// One rule for a line that goes away while any window talks to the controller (an unplugged
// adapter, a lost network connection): the request that finds out says so once, in one box naming
// the line, and the port is closed after that request's callback, so the polls and runs stop
// instead of failing request by request. The other requests failing with it are not said again.
// Open works again once the line is back.

#include "comm/ZBComm.h"

#include <QString>

#include <functional>

class QWidget;

// True when Error says the line itself is gone (IsDeviceGoneError).
bool IsLineLost(const TCommError& Error);

// For a lost line: closes Port after the current callback and shows "Lead COM3 (/dev/ttyUSB0):
// reason" in an error box over Window, after Shown has had the text (a panel of the window);
// nothing more while that report is under way. True for a lost line; false for any other error,
// which the caller handles itself.
bool ReportLineLost(QWidget* Window, TZBComm& Port, const TCommError& Error, const QString& Lead,
                    const std::function<void(const QString&)>& Shown = {});
