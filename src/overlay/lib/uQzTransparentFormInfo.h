// Links the overlay window with its information window: the window's
// demonstration buttons draw into the overlay's demonstration list.
#pragma once
#include <memory>
#include "overlay/lib/uQzTransparentForm.h"

// The factory the library installs with SetInfoWindowFactory.
std::unique_ptr<TInfoWindow> CreateQzTransparentAboutForm(TTransparentForm& overlay);
