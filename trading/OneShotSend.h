// Sending a request that must never go twice (orders, cancels, transfers, password changes): the window's own
// request text, handed to the worker once with the keep flag off, so neither the worker nor the window resends
// it after a transport failure.
#pragma once

class CNetWnd;

// Sends wnd's BuildRequest text (no function-number prefix: the fields carry them). When the window's worker stays
// busy for a second, the window gets a private worker for it. 1 when a worker took the request, 0 when nothing
// was sent (no request text, no worker, or every worker busy).
int SendOnce(CNetWnd* wnd);
