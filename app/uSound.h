#pragma once
// The game's sound effects: the recordings compiled in as ":/sounds/<name>.wav".
// One sound plays at a time; calls return at once and never wait for the audio device.

#include <QString>

namespace kelani {

// Stops any sound of the program, then starts the recording `name` (letter case ignored)
// asynchronously. A name without a recording, or a machine without an audio device, is silent.
void PlayWaveResource(const QString& name);

// Stops any sound of the program; returns at once.
void StopSound();

// Whether a recording of that name exists (letter case ignored).
bool HasWaveResource(const QString& name);

// Whether the recording has been decoded and is ready to start at once (recordings are decoded in
// the background from the first call of PlayWaveResource or StopSound on).
bool WaveResourceReady(const QString& name);

} // namespace kelani
