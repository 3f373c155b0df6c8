#pragma once
// The thin horizontal rules that windows draw across their top, under the menu bar.
#include <QColor>
#include <QFrame>

// A flat coloured strip named `name`; the caller places it.
QFrame* MakeRule(QWidget* parent, const char* name, const QColor& colour);
