// The window icon that ships inside the program: 128 x 128 pixels, RGBA bytes.
#pragma once

struct SDL_Window;

namespace qm {

// Sets the built-in icon on the window. A failure leaves the window without an icon.
void SetWindowIcon(SDL_Window* window);

}  // namespace qm
