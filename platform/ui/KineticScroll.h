// Vertical drag scrolling with a fling that slows down, shared by the scroll window and the list.
// Times are tick counts in milliseconds, passed in so the motion is the same on every machine.
#pragma once

#include "platform/win/WinTypes.h"

class KineticScroll {
public:
    // Largest offset (content height - view height, never below 0).
    void SetRange(int maxOffset);
    int GetMax() const { return max_; }
    int GetOffset() const { return offset_; }
    // Jumps (stops any motion); clamped to the range.
    void SetOffset(int offset);

    // A press: stops the motion; true when the content was still moving (the press only stops it).
    bool Press(int y, DWORD now);
    // A finger move: true once the press became a drag (the offset then follows the finger).
    bool Move(int y, DWORD now);
    // The release: true when a fling starts (call Step on a timer until it returns false).
    bool Release(int y, DWORD now);
    bool IsDragging() const { return dragging_; }
    bool IsMoving() const { return moving_; }

    // Animated move to an offset (scroll to top); call Step until it returns false.
    void AnimateTo(int offset, DWORD now);
    // Advances the motion to now; false when it has stopped.
    bool Step(DWORD now);
    void Stop() { moving_ = false; }

    static constexpr UINT STEP_MS = 16;

private:
    int Clamp(int v) const { return v < 0 ? 0 : (v > max_ ? max_ : v); }
    int max_ = 0;
    int offset_ = 0;
    bool pressed_ = false;
    bool dragging_ = false;
    bool moving_ = false;
    bool animating_ = false; // toward a target, not a fling
    int pressY_ = 0;
    int pressOffset_ = 0;
    int lastY_ = 0;
    DWORD lastTime_ = 0;
    double velocity_ = 0;    // pixels of offset per millisecond
    double position_ = 0;
    int target_ = 0;
    DWORD stepTime_ = 0;
};
