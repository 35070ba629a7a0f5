#include "platform/QtTranslations.h"

#include <QCoreApplication>
#include <QMessageBox>
#include <QPushButton>
#include <gtest/gtest.h>

namespace {

QString cancelButtonText()
{
    QMessageBox box(QMessageBox::NoIcon, QString(), QString(), QMessageBox::Cancel);
    return box.button(QMessageBox::Cancel)->text();
}

QString fileDialogTitle() { return QCoreApplication::translate("QFileDialog", "Save As"); }

// Qt's own buttons and file dialog speak the player's language while the translations live, and
// English again afterwards; a locale Qt has no translation for leaves them English.
TEST(QtTranslations, japaneseForAJapaneseLocaleWhileTheyLiveAndEnglishOtherwise)
{
    ASSERT_EQ(cancelButtonText(), "Cancel");
    {
        const QtTranslations japanese(QLocale(QLocale::Japanese, QLocale::Japan));
        ASSERT_TRUE(japanese.installed()) << "qtbase_ja.qm from qt6-translations-l10n";
        EXPECT_EQ(cancelButtonText(), "キャンセル");
        EXPECT_EQ(fileDialogTitle(), "名前を付けて保存");
    }
    EXPECT_EQ(cancelButtonText(), "Cancel");
    for (const QLocale& locale : {QLocale(QLocale::English, QLocale::UnitedStates), QLocale::c()}) {
        const QtTranslations none(locale);
        EXPECT_FALSE(none.installed()) << locale.name().toStdString();
        EXPECT_EQ(cancelButtonText(), "Cancel") << locale.name().toStdString();
    }
}

} // namespace
