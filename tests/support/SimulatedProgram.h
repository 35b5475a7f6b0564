#pragma once
// A program directory whose application.ini puts COM1 on a simulated controller: unit 0 at
// 38400,E,8,1 (the port settings' ordinals 6 and 1), in the given language.
#include "TempProgramDir.h"

#include <Simulator.h>

#include <string>

inline km4x::SimulatorOptions OneSimulatedUnit()
{
    km4x::SimulatorOptions options;
    km4x::UnitConfig unit;
    unit.number = 0;
    unit.line = km4x::LineSettings{38400, km4x::Parity::Even, 8, 1};
    options.units = {unit};
    return options;
}

inline void WriteSimulatorSettings(const TempProgramDir& Dir, int LanguageIndex, const std::string& DevicePath)
{
    Dir.Write(QStringLiteral("application.ini"),
              "[Serieel]\r\nbaudrate=6\r\nparity=1\r\nunit_no=0\r\n[Opties]\r\nTaal=" +
                  QByteArray::number(LanguageIndex) + "\r\n[Poorten]\r\nCOM1=" + QByteArray::fromStdString(DevicePath) +
                  "\r\n");
}
