#pragma once
// The game's sound effects: the recordings compiled in as ":/sounds/<name>.wav".
// One sound plays at a time; calls return at once and never wait for the audio device.

#include <QString>
#include <QUrl>

namespace kelani {

// Stops any sound of the program, then starts the recording `name` (letter case ignored)
// asynchronously. A name without a recording, or a machine without an audio device, is silent.
void PlayWaveResource(const QString& name);

// Stops any sound of the program; returns at once.
void StopSound();

// Whether a recording of that name exists (letter case ignored).
bool HasWaveResource(const QString& name);

// The address the recording is played from ("qrc:/sounds/<name in lower case>.wav").
QUrl WaveResourceUrl(const QString& name);

} // namespace kelani
