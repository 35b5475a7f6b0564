#include "app/StartOptions.h"

StartOptions ParseStartOptions(const QStringList& arguments)
{
    StartOptions options;
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        if (arguments[i] == QLatin1String("--simulate"))
            options.simulate = true;
        else
            options.arguments << arguments[i];
    }
    return options;
}
