#pragma once

namespace zepo {

// Arithmetic of the panel's two knobs. Knob positions are offsets from the centre of
// their track; a track of no width and a length of no duration never divide.

// Volume rounding: halves go upward (2.5 -> 3, -0.5 -> 0).
int roundVolume(double volume);
// Limits a volume to 0..100.
double clampVolume(double volume);
// The volume knob: 0 at the left end of the track, 100 at the right end.
double volumeKnobX(int volume, double trackWidth);
double volumeAtKnob(double knobX, double trackWidth);

// Keeps a knob on its track.
double clampKnob(double knobX, double trackWidth);

// The seek knob: at the left end while the length is not final, at the right end once
// the time has passed the length, in proportion otherwise.
double seekKnobX(bool lengthFinal, double time, double duration, double trackWidth);
// The time a seek knob position stands for.
double seekTimeAtKnob(double knobX, double trackWidth, double duration);

} // namespace zepo
