#pragma once
// The oscilloscope's kinds, shared by the core and the window. Display texts map to these in
// one table each (BeamSettingText, BeamTable); nothing compares a display text elsewhere.

#include <cstdint>

namespace kvaril {

// The rows of the beam table, in display order.
enum class TBeamRow { Gain = 0, Offset = 1, Group = 2, XAxis = 3, Interpolation = 4 };
inline constexpr int kBeamRowCount = 5;

// How a beam joins its samples when the window holds fewer quanta than columns. The stored
// byte may hold any value; everything from 2 up draws as a spline.
enum class TInterpolation : uint8_t { Steps = 0, Line = 1, Spline = 2 };

// The screen colours of the whole oscilloscope; a stored value outside them shows as Gray.
enum class TColorScheme { Gray = 0, White = 1, Black = 2 };

// Which end of the time window an open entry sets.
enum class TEntryMode { Start = 0, End = 1, Length = 2 };

// How the keys move the measurement cursor: a quantum, ten quanta, or to an end of the window.
enum class TCursorStep { Left, Right, LeftTen, RightTen, Home, End };

}  // namespace kvaril
