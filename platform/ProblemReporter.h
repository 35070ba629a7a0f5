#pragma once

#include <QString>

#include <functional>

class QWidget;

// Tells the player about a problem and returns once they have read it. The record windows take
// one so that tests can read the message instead of facing a blocking box.
using ProblemReporter = std::function<void(QWidget* parent, const QString& message)>;
