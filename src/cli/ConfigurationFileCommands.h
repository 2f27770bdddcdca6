#pragma once

struct ZexCtlSession;

// zexctl save FILE and zexctl restore FILE: the module's configuration to a .zcf file and back,
// through the same engine as the Save and Restore page, with its progress and its texts.
namespace ConfigurationFileCommands {

int CheckSave(ZexCtlSession& session);
int Save(ZexCtlSession& session);

// Refuses a file that cannot be read or is no configuration file before the port is opened.
int CheckRestore(ZexCtlSession& session);
int Restore(ZexCtlSession& session);

} // namespace ConfigurationFileCommands
