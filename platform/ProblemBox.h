#pragma once

#include <QString>

class QWidget;

// The program's message box: its title, an OK button, no icon. Returns when the player closes it.
void showProblemBox(QWidget* parent, const QString& message);
