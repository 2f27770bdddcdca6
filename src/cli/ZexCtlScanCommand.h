#pragma once

struct ZexCtlSession;

// zexctl scan: lists the modules on a bus, whatever their station and baud rate.
namespace ZexCtlScanCommand {

int CheckScan(ZexCtlSession& session);
int Scan(ZexCtlSession& session);

} // namespace ZexCtlScanCommand
