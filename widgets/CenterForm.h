#pragma once
// Places a window in the middle of its screen.
#include <QPoint>
#include <QRect>
#include <QSize>

class QWidget;

// Top-left corner, in twips, of a window of windowSize centred on a screen of screenSize (both in twips).
// Computed in single precision, as the window placement always has been.
QPoint CenteredPositionTwips(QSize screenSize, QSize windowSize);

// Moves window to the centre of its screen (the primary screen when it has none yet); its size is kept.
void CenterForm(QWidget& window);

// Where a window's frame goes so that it lies inside area: moved left and up as far as it sticks out
// right and down, then right and down as far as it sticks out left and up (a frame larger than the area
// keeps its top-left corner in it). Returns the frame's new top-left corner.
QPoint PlaceInside(QRect frame, QRect area);

// Moves a window that sticks out of its screen's available area back inside it; its size is kept.
void KeepOnScreen(QWidget& window);
