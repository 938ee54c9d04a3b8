// Drag scrolling with a decaying fling.
#include "platform/ui/KineticScroll.h"

#include "platform/ui/UiWin.h"

#include <cmath>
#include <cstdlib>

void KineticScroll::SetRange(int maxOffset)
{
    max = maxOffset < 0 ? 0 : maxOffset;
    offset = Clamp(offset);
}

void KineticScroll::SetOffset(int to)
{
    moving = false;
    offset = Clamp(to);
}

bool KineticScroll::Press(int y, DWORD now)
{
    bool wasMoving = moving;
    moving = false;
    pressed = true;
    dragging = false;
    pressY = lastY = y;
    pressOffset = offset;
    lastTime = now;
    velocity = 0;
    return wasMoving;
}

bool KineticScroll::Move(int y, DWORD now)
{
    if (!pressed)
        return false;
    if (!dragging && std::abs(y - pressY) > UI_DRAG_THRESHOLD) {
        dragging = true;
        pressY = y; // no jump: scrolling starts where the threshold was crossed
        pressOffset = offset;
    }
    if (!dragging)
        return false;
    DWORD dt = now - lastTime;
    if (dt > 0) {
        double v = double(lastY - y) / double(dt);
        velocity = dt > 100 ? v : velocity * 0.3 + v * 0.7;
        lastTime = now;
    }
    lastY = y;
    offset = Clamp(pressOffset - (y - pressY));
    return true;
}

bool KineticScroll::Release(int y, DWORD now)
{
    if (!pressed)
        return false;
    if (dragging)
        Move(y, now);
    pressed = false;
    bool wasDragging = dragging;
    dragging = false;
    // A finger that rested before lifting does not fling.
    if (!wasDragging || now - lastTime > 80 || std::fabs(velocity) < 0.2)
        return false;
    moving = true;
    animating = false;
    position = offset;
    stepTime = now;
    return true;
}

void KineticScroll::AnimateTo(int to, DWORD now)
{
    target = Clamp(to);
    if (target == offset) {
        moving = false;
        return;
    }
    moving = true;
    animating = true;
    position = offset;
    stepTime = now;
}

bool KineticScroll::Step(DWORD now)
{
    if (!moving)
        return false;
    DWORD dt = now - stepTime;
    if (dt == 0)
        return true;
    if (dt > 200)
        dt = 200;
    stepTime = now;
    if (animating) {
        // Covers a fixed share of the remaining way per 16 ms, so long ways take no longer than short ones much.
        double share = 1.0 - std::pow(0.75, dt / 16.0);
        position += (target - position) * share;
        if (std::fabs(target - position) < 1.0)
            position = target;
    } else {
        position += velocity * dt;
        velocity *= std::pow(0.995, dt);
        if (std::fabs(velocity) < 0.05)
            moving = false;
    }
    int next = (int)std::lround(position);
    if (next <= 0 || next >= max) {
        next = Clamp(next);
        if (!animating)
            moving = false;
    }
    offset = next;
    if (animating && offset == target)
        moving = false;
    return moving;
}
