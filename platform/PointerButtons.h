#pragma once

namespace zepo {

// Whether a mouse button is held down now, wherever the pointer is: while the window
// manager drags a window it holds the pointer, and the program sees none of its events.
bool pointerButtonHeld();

} // namespace zepo
