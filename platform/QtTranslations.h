#pragma once

#include <QLocale>
#include <QTranslator>

// Qt's own texts (the file dialog, its buttons, the standard buttons of a message box) in the
// player's language, from the translations installed with Qt. The game's texts are Japanese
// anyway; without this, Qt's dialogs inside it would speak English. Installed while it lives.
class QtTranslations final {
public:
    explicit QtTranslations(const QLocale& locale = QLocale());

    // False where Qt has no translation for the locale: its texts stay English.
    bool installed() const { return installed_; }

private:
    QTranslator translator_;
    bool installed_ = false;
};
