// Vertical drag scrolling with a fling that slows down, shared by the scroll window and the list.
// Times are tick counts in milliseconds, passed in so the motion is the same on every machine.
#pragma once

#include "platform/win/WinTypes.h"

class KineticScroll {
public:
    // Largest offset (content height - view height, never below 0).
    void SetRange(int maxOffset);
    int GetMax() const { return max; }
    int GetOffset() const { return offset; }
    // Jumps (stops any motion); clamped to the range.
    void SetOffset(int offset);

    // A press: stops the motion; true when the content was still moving (the press only stops it).
    bool Press(int y, DWORD now);
    // A finger move: true once the press became a drag (the offset then follows the finger).
    bool Move(int y, DWORD now);
    // The release: true when a fling starts (call Step on a timer until it returns false).
    bool Release(int y, DWORD now);
    bool IsDragging() const { return dragging; }
    bool IsMoving() const { return moving; }

    // Animated move to an offset (scroll to top); call Step until it returns false.
    void AnimateTo(int offset, DWORD now);
    // Advances the motion to now; false when it has stopped.
    bool Step(DWORD now);
    void Stop() { moving = false; }

    static constexpr UINT STEP_MS = 16;

private:
    int Clamp(int v) const { return v < 0 ? 0 : (v > max ? max : v); }
    int max = 0;
    int offset = 0;
    bool pressed = false;
    bool dragging = false;
    bool moving = false;
    bool animating = false; // toward a target, not a fling
    int pressY = 0;
    int pressOffset = 0;
    int lastY = 0;
    DWORD lastTime = 0;
    double velocity = 0; // pixels of offset per millisecond
    double position = 0;
    int target = 0;
    DWORD stepTime = 0;
};
