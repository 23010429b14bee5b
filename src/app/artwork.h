#pragma once

#include <QIcon>
#include <QImage>

// The program's pictures, drawn by our own code so the program carries no image files and the
// desktop icon is rendered from the same drawing at build time. They keep to the sixteen colours of
// the classic palette with hard edges, so they stay sharp at 16 and 32 pixels on the station's old
// screens; the pump is drawn on whole pixels at every multiple of 16.
namespace Artwork {
// The fuel pump of the window and the tray, as a square picture of that many pixels.
QImage fuelPump(int size);
// The window and tray icon: the fuel pump at 16 and 32 pixels.
QIcon windowIcon();
// The 32 by 32 picture of the "Minimizar" button.
QImage minimizar();
// The 32 by 32 picture of the "Fechar" button.
QImage fechar();
} // namespace Artwork
