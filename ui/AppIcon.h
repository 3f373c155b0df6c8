#pragma once
// The program's icon: window icon and the about window's picture.
#include <QIcon>
#include <QPixmap>

// The bundled scalable icon; where no SVG reader is installed, the same picture drawn in code.
QIcon AppIcon();
QPixmap AppPicture(int size);
