// The stand-in multi-touch driver: registrations kept in a small table, gestures posted to the live windows.
#include "platform/device/TouchDriver.h"

#include "platform/win/Message.h"
#include "platform/win/WinUser.h"

#include <mutex>
#include <utility>
#include <vector>

namespace {

std::mutex registrationsLock;
std::vector<std::pair<HWND, UINT>> registrations;

} // namespace

BOOL RegisterTouchNotify(HWND window, UINT message)
{
    if (window == nullptr)
        return FALSE;
    std::lock_guard<std::mutex> guard(registrationsLock);
    for (auto& r : registrations)
        if (r.first == window) {
            r.second = message;
            return TRUE;
        }
    registrations.emplace_back(window, message);
    return TRUE;
}

BOOL UnregisterTouchNotify(HWND window)
{
    std::lock_guard<std::mutex> guard(registrationsLock);
    for (size_t i = 0; i < registrations.size(); ++i)
        if (registrations[i].first == window) {
            registrations.erase(registrations.begin() + (long)i);
            return TRUE;
        }
    return FALSE;
}

int SimulatePinch(int startDistance, int endDistance)
{
    std::vector<std::pair<HWND, UINT>> targets;
    {
        std::lock_guard<std::mutex> guard(registrationsLock);
        targets = registrations;
    }
    int sent = 0;
    LPARAM distances = (LPARAM)MAKELONG((WORD)startDistance, (WORD)endDistance);
    for (const auto& t : targets)
        if (IsWindow(t.first) && PostMessage(t.first, t.second, (WPARAM)MZ_GESTURE_PINCH, distances))
            ++sent;
    return sent;
}
