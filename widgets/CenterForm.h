#pragma once
// Places a window in the middle of its screen.
#include <QPoint>
#include <QSize>

class QWidget;

// Top-left corner, in twips, of a window of windowSize centred on a screen of screenSize (both in twips).
// Computed in single precision, as the window placement always has been.
QPoint CenteredPositionTwips(QSize screenSize, QSize windowSize);

// Moves window to the centre of its screen (the primary screen when it has none yet); its size is kept.
void CenterForm(QWidget& window);
