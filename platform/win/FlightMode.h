// The phone's flight mode, which the sockets ask before every connect: a phone without its radio reaches no
// server. The device layer keeps the flag with the phone's other settings and answers (device/CallInterface.cpp).
#pragma once

// True while the flight-mode flag is set.
bool IsFlightModeOn();
