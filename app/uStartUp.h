#pragma once
// The game's start: the first start's language question, then the main window with its pictures.
#include <exception>
#include <memory>

namespace kelani {

class TfSpielfeld;

// The main window, built and not yet shown; nullptr when it could not be built (a graphics
// container missing or damaged), after telling the player why in his language.
std::unique_ptr<TfSpielfeld> CreateMainWindow();

// The box for an error that ends the game: a container that failed is named.
void ShowFatalError(const std::exception& error);

} // namespace kelani
