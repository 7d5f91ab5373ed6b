// The serial ports the system lists, and the start of the contact search on
// the chosen one: shared by the main frame's Port menu and the Port page.
#pragma once

#include <string>
#include <vector>

// The port names of HKLM\HARDWARE\DEVICEMAP\SERIALCOMM in registry order;
// empty values and the modem port "winachsf0" are left out.
std::vector<std::wstring> EnumerateSerialPorts();

// The contact machine from its "OpenPort" state. A search still running (on
// a port just closed) is restarted rather than left to run on.
void StartContactAtOpenPort();
