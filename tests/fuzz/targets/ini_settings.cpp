// application.ini: the profile reader, the program's settings read from it, and writing keys
// back into a file of any shape.
#include "FuzzInput.h"

#include "app/core/IniFile.h"
#include "app/core/Settings.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, std::size_t Size)
{
    const std::string_view text = fuzz::AsText(Data, Size);
    TIniFile ini;
    ini.LoadFromText(text);
    PortSettings port;
    ReadSettings(ini, port);
    // Whatever the file says, the port only ever sees indexes of its tables.
    if (port.Baudrate < 0 || port.PortName < 0 || port.PortName > 15)
        std::abort();
    (void)ParseIniInteger(text);

    // A written key reads back as written, and the rest of the file survives the write.
    ini.WriteString("Serieel", "portname", "3");
    ini.WriteInteger("Opties", "Taal", -17);
    if (ini.ReadInteger("Serieel", "portname", 0) != 3 || ini.ReadInteger("Opties", "Taal", 0) != -17)
        std::abort();
    TIniFile again;
    again.LoadFromText(ini.Text());
    if (again.ReadInteger("Serieel", "portname", 0) != 3)
        std::abort();
    return 0;
}
