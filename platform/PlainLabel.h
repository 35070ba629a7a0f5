#pragma once

#include <QLabel>
#include <QString>

// Every label of the program shows its text exactly as given: a name such as <b>x</b> or
// <img src=...> read from a file is shown, never rendered or loaded. `objectName` may be null.
template <typename Label = QLabel>
Label* plainLabel(QWidget* parent, const QString& text, const char* objectName = nullptr)
{
    auto* label = new Label(text, parent);
    label->setTextFormat(Qt::PlainText);
    if (objectName != nullptr)
        label->setObjectName(QString::fromLatin1(objectName));
    return label;
}

// The layout's single black border around a value.
void setSingleBorder(QLabel& label);
