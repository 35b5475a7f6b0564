#include "cli/JsonRecords.h"

#include "app/core/Windows1252Utf8.h"

namespace cli {

JsonRecord IdentificationJson(int Unit, const std::vector<std::string>& Replies)
{
    static constexpr const char* Commands[] = {"rt", "rh", "rx"};
    JsonRecord record;
    record["unit"] = Unit;
    for (std::size_t i = 0; i < Replies.size() && i < std::size(Commands); ++i)
        record[Commands[i]] = Windows1252ToUtf8(Replies[i]);
    return record;
}

JsonRecord FoundDevicesJson(const std::vector<TFoundDevice>& Devices)
{
    JsonRecord units = JsonRecord::array();
    for (const TFoundDevice& device : Devices) {
        JsonRecord unit;
        unit["unit"] = device.Unit;
        unit["identification"] = Windows1252ToUtf8(device.Identification);
        unit["baud"] = std::stoi(BaudrateText(device.Baudrate));
        unit["parity"] = ParityText(device.Parity);
        unit["stopbits"] = std::stoi(StopbitsText(device.Stopbits));
        units.push_back(std::move(unit));
    }
    JsonRecord record;
    record["units"] = std::move(units);
    return record;
}

JsonRecord DifferencesJson(const std::vector<TValueDifference>& Differences)
{
    JsonRecord list = JsonRecord::array();
    for (const TValueDifference& d : Differences) {
        JsonRecord item;
        item["item"] = DifferenceItemName(d);
        if (!d.Setpoint)
            item["name"] = Windows1252ToUtf8(d.Name);
        item["before"] = Windows1252ToUtf8(d.Before);
        item["after"] = Windows1252ToUtf8(d.After);
        list.push_back(std::move(item));
    }
    JsonRecord record;
    record["equal"] = Differences.empty();
    record["differences"] = std::move(list);
    return record;
}

void PrintJson(std::ostream& Out, const JsonRecord& Record)
{
    // A file name need not be UTF-8; such bytes become U+FFFD rather than failing the output.
    Out << Record.dump(2, ' ', false, JsonRecord::error_handler_t::replace) << '\n';
}

} // namespace cli
