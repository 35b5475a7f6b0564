#pragma once
// Between the settings file's port values (ordinals) and the port component.
#include "app/core/PortSettings.h"
#include "comm/ZBComm.h"

namespace device {

// Assigns the values in the order the settings file lists them, so the port component's
// consistency rules resolve the same way every time. An ordinal that names no value leaves the
// property as it is. The port must be closed.
void ApplyPortSettings(TZBComm& Port, const PortSettings& Settings);

// The port component's current values (DevicePaths stay empty: they are not port properties).
PortSettings PortSettingsOf(const TZBComm& Port);

// The [Poorten] device paths become the port-name mapping; an empty entry restores the default.
void ApplyPortDevicePaths(const PortSettings& Settings);

} // namespace device
