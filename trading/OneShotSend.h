// Sending a request that must never go twice (orders, cancels, transfers, password changes): the window's own
// request text, handed to the worker once with the keep flag off, so neither the worker nor the window resends
// it after a transport failure.
#pragma once

class CFundBaseWnd;
class CNetWnd;

// Sends wnd's BuildRequest text (no function-number prefix: the fields carry them). When the window's worker stays
// busy for a second, the window gets a private worker for it. 1 when a worker took the request, 0 when nothing
// was sent (no request text, no worker, or every worker busy).
int SendOnce(CNetWnd* wnd);
// A form's submission: the flag (read by the form's BuildRequest) is set and the command bar disabled while it is
// under way; when nothing could be sent both are undone and the user is told the system is busy. Returns the flag.
bool SendFormOnce(CFundBaseWnd* form, bool* underWay);
