#pragma once
// The board in high contrast, for players who see little: the light panels turn white, the
// texts on them black, and every tone between is spread further apart.
#include <QImage>

namespace kelani {

// Stretches the tones of `picture` away from the middle grey, channel by channel.
void RaiseContrast(QImage& picture);

} // namespace kelani
