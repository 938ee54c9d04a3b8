// Makers of the settings, traffic and customer-service windows for the window factory, and the program update
// behind the log-on window and the "update" key.
#pragma once

void InstallServiceWindowMakers();
