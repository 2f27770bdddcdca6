#include "cli/ZexCtlCommand.h"

#include "cli/BrandCommands.h"
#include "cli/ConfigurationFileCommands.h"
#include "cli/RadioCommands.h"
#include "cli/ZexCtlDeviceCommands.h"
#include "cli/ZexCtlScanCommand.h"

const QList<ZexCtlCommand>& ZexCtlCommandTable() {
    using namespace ZexCtlDeviceCommands;
    static const QList<ZexCtlCommand> table = {
        {"ports", "ports",
         "List the serial ports: one line each, the port (COMn) and the device behind it.", false,
         false, CheckPorts, Ports},
        {"get", "get NAME...",
         "Read members of the module; prints one NAME=value line each (an empty value stays "
         "empty).",
         true, false, CheckGet, Get},
        {"set", "set NAME VALUE",
         "Write a member of the module. VALUE is a number with \".\" as decimal separator, or "
         "True/False.",
         true, true, CheckSet, Set},
        {"call", "call OPERATION", "Invoke an operation of the module (RST, DOKEYTAR, WAKE ...).",
         true, true, CheckCall, Call},
        {"save", "save FILE",
         "Save the module's configuration to a configuration file (.zcf); prints the progress. "
         "Values that could not be read are listed and left out of the file.",
         true, false, ConfigurationFileCommands::CheckSave, ConfigurationFileCommands::Save},
        {"restore", "restore [--verify] FILE",
         "Write the configuration in a .zcf file to the module (the same module, or another one "
         "to clone it); prints the progress. Factory calibration values are not written. With "
         "--verify every value written is read back; each one the module refused or gives back "
         "otherwise is listed (exit status 1).",
         true, false, ConfigurationFileCommands::CheckRestore, ConfigurationFileCommands::Restore},
        {"diff", "diff FILE",
         "Compare the module with a .zcf file: lists every value a restore of the file would "
         "write that the module holds otherwise (as single floats), with both values. Exit "
         "status 0 when they agree, 1 when they differ.",
         true, false, ConfigurationFileCommands::CheckDiff, ConfigurationFileCommands::Diff},
        {"brand", "brand verify|sign FILE | set FILE KEY VALUE | logo FILE Logo|LogoSmall IMAGE",
         "Check, sign or change a brand file (.qkb): verify its digest, recompute it, set one "
         "key, or replace a logo with an image file. \"brand verify\" alone checks the brand "
         "file the program uses.",
         false, false, nullptr,
         [](ZexCtlSession& session) {
             return BrandCommands::run(session.arguments, session.out, session.err);
         }},
        {"scan", "scan [FIRST-LAST]",
         "Find the modules on the bus: asks every station (1-254, or FIRST-LAST) at 9600 and "
         "19200 baud, and prints station, baud rate, firmware and serial number of each that "
         "answers. An empty bus takes about half a minute.",
         false, false, ZexCtlScanCommand::CheckScan, ZexCtlScanCommand::Scan},
        {"radio", "radio status|pair|channel N",
         "The R58 radio base station: \"status\" reports it, \"pair\" waits 10 seconds for a "
         "module to be powered up and prints its ID and model, \"channel N\" sets the base "
         "station's channel (1 to 16).",
         false, false, nullptr, RadioCommands::Radio},
    };
    return table;
}
