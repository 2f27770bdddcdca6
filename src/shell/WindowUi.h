#pragma once

#include "radio/RadioUi.h"
#include "serial/SerialProcedures.h"

class MainFrm;

// The window's side of the connection procedures, which run on the device thread: every call
// is carried over to the window thread and waited for, so a procedure reads as a plain sequence
// while the window stays responsive. Escape is read from the program's latch.
namespace WindowUi {

RadioUi ForRadio(MainFrm& window);
SerialConnectUi ForSerial(MainFrm& window);

} // namespace WindowUi
