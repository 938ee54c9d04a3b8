// Drag scrolling with a decaying fling.
#include "platform/ui/KineticScroll.h"

#include "platform/ui/UiWin.h"

#include <cmath>
#include <cstdlib>

void KineticScroll::SetRange(int maxOffset) {
    max_ = maxOffset < 0 ? 0 : maxOffset;
    offset_ = Clamp(offset_);
}

void KineticScroll::SetOffset(int offset) {
    moving_ = false;
    offset_ = Clamp(offset);
}

bool KineticScroll::Press(int y, DWORD now) {
    bool wasMoving = moving_;
    moving_ = false;
    pressed_ = true;
    dragging_ = false;
    pressY_ = lastY_ = y;
    pressOffset_ = offset_;
    lastTime_ = now;
    velocity_ = 0;
    return wasMoving;
}

bool KineticScroll::Move(int y, DWORD now) {
    if (!pressed_) return false;
    if (!dragging_ && std::abs(y - pressY_) > UI_DRAG_THRESHOLD) {
        dragging_ = true;
        pressY_ = y; // no jump: scrolling starts where the threshold was crossed
        pressOffset_ = offset_;
    }
    if (!dragging_) return false;
    DWORD dt = now - lastTime_;
    if (dt > 0) {
        double v = double(lastY_ - y) / double(dt);
        velocity_ = dt > 100 ? v : velocity_ * 0.3 + v * 0.7;
        lastTime_ = now;
    }
    lastY_ = y;
    offset_ = Clamp(pressOffset_ - (y - pressY_));
    return true;
}

bool KineticScroll::Release(int y, DWORD now) {
    if (!pressed_) return false;
    if (dragging_) Move(y, now);
    pressed_ = false;
    bool wasDragging = dragging_;
    dragging_ = false;
    // A finger that rested before lifting does not fling.
    if (!wasDragging || now - lastTime_ > 80 || std::fabs(velocity_) < 0.2) return false;
    moving_ = true;
    animating_ = false;
    position_ = offset_;
    stepTime_ = now;
    return true;
}

void KineticScroll::AnimateTo(int offset, DWORD now) {
    target_ = Clamp(offset);
    if (target_ == offset_) {
        moving_ = false;
        return;
    }
    moving_ = true;
    animating_ = true;
    position_ = offset_;
    stepTime_ = now;
}

bool KineticScroll::Step(DWORD now) {
    if (!moving_) return false;
    DWORD dt = now - stepTime_;
    if (dt == 0) return true;
    if (dt > 200) dt = 200;
    stepTime_ = now;
    if (animating_) {
        // Covers a fixed share of the remaining way per 16 ms, so long ways take no longer than short ones much.
        double share = 1.0 - std::pow(0.75, dt / 16.0);
        position_ += (target_ - position_) * share;
        if (std::fabs(target_ - position_) < 1.0) position_ = target_;
    } else {
        position_ += velocity_ * dt;
        velocity_ *= std::pow(0.995, dt);
        if (std::fabs(velocity_) < 0.05) moving_ = false;
    }
    int next = (int)std::lround(position_);
    if (next <= 0 || next >= max_) {
        next = Clamp(next);
        if (!animating_) moving_ = false;
    }
    offset_ = next;
    if (animating_ && offset_ == target_) moving_ = false;
    return moving_;
}
