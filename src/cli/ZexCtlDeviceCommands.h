#pragma once

struct ZexCtlSession;

// zexctl's basic commands: the port list, and members of the module by name (get, set, call),
// through the ZEX interface as the pages use it.
namespace ZexCtlDeviceCommands {

int CheckPorts(ZexCtlSession& session);
int Ports(ZexCtlSession& session);

int CheckGet(ZexCtlSession& session);
int Get(ZexCtlSession& session);

int CheckSet(ZexCtlSession& session);
int Set(ZexCtlSession& session);

int CheckCall(ZexCtlSession& session);
int Call(ZexCtlSession& session);

} // namespace ZexCtlDeviceCommands
