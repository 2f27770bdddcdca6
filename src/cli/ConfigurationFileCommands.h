#pragma once

struct ZexCtlSession;

// zexctl save FILE and zexctl restore FILE: the module's configuration to a .zcf file and back,
// through the same engine as the Save and Restore page, with its progress and its texts; and
// zexctl diff FILE, the comparison the page's Compare shows.
namespace ConfigurationFileCommands {

int CheckSave(ZexCtlSession& session);
int Save(ZexCtlSession& session);

// Refuses a file that cannot be read or is no configuration file before the port is opened.
// With --verify every value written is read back, and each one refused or given back otherwise
// is listed.
int CheckRestore(ZexCtlSession& session);
int Restore(ZexCtlSession& session);

// zexctl diff FILE: the values of the file's restore set that the module holds otherwise.
int CheckDiff(ZexCtlSession& session);
int Diff(ZexCtlSession& session);

} // namespace ConfigurationFileCommands
