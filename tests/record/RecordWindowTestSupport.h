#pragma once

#include "platform/ProblemReporter.h"

#include <QApplication>
#include <QFont>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <QRect>
#include <QScreen>
#include <QString>
#include <QTest>
#include <QWidget>
#include <QWindow>
#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <vector>

// Collects what the windows would have shown in a message box.
struct ReportedProblems {
    ProblemReporter reporter()
    {
        return [this](QWidget*, const QString& message) { messages.push_back(message); };
    }
    std::vector<QString> messages;
};

// One control of a window's layout as the table gives it.
struct ControlLayout {
    const char* name;
    QRect geometry;
    double pointSize;
    bool bold;
    QString text;
    // Sized to its text: it stands where the layout puts it (moved left only to stay clear of
    // the control to its right) and is at least as large as the layout and as its whole text in
    // the font actually used.
    bool sizedToText = false;
};

inline void expectSizedToText(const QLabel& label, const QRect& layout)
{
    // A label grows around its text, so it still covers the layout's rows.
    EXPECT_LE(label.y(), layout.y()) << label.objectName().toStdString();
    EXPECT_GE(label.geometry().bottom(), layout.bottom()) << label.objectName().toStdString();
    EXPECT_LE(label.x(), layout.x()) << label.objectName().toStdString();
    EXPECT_GE(label.x(), 0) << label.objectName().toStdString();
    EXPECT_GE(label.geometry().right(), layout.right()) << label.objectName().toStdString();
    EXPECT_GE(label.width(), layout.width()) << label.objectName().toStdString();
    EXPECT_GE(label.height(), layout.height()) << label.objectName().toStdString();
    const QFontMetrics metrics(label.font());
    if (label.wordWrap()) {
        EXPECT_GE(label.height(), label.heightForWidth(label.width())) << label.objectName().toStdString();
        return;
    }
    EXPECT_GE(label.contentsRect().width(), metrics.horizontalAdvance(label.text()))
        << label.objectName().toStdString() << " cuts off its text";
    EXPECT_GE(label.contentsRect().height(), metrics.height()) << label.objectName().toStdString();
}

inline void expectLayout(const QWidget& window, const std::vector<ControlLayout>& controls)
{
    for (const ControlLayout& c : controls) {
        const auto* control = window.findChild<QWidget*>(QString::fromLatin1(c.name));
        ASSERT_NE(control, nullptr) << c.name;
        if (c.sizedToText) {
            const auto* label = qobject_cast<const QLabel*>(control);
            ASSERT_NE(label, nullptr) << c.name;
            expectSizedToText(*label, c.geometry);
        } else {
            EXPECT_EQ(control->geometry(), c.geometry) << c.name;
        }
        EXPECT_DOUBLE_EQ(control->font().pointSizeF(), c.pointSize) << c.name;
        EXPECT_EQ(control->font().bold(), c.bold) << c.name;
        EXPECT_TRUE(control->font().families().contains(QStringLiteral("IPAPGothic"))) << c.name;
        if (const auto* label = qobject_cast<const QLabel*>(control)) {
            EXPECT_EQ(label->text(), c.text) << c.name;
        }
    }
}

// Each heading and the control beside it, which lies in front of it: the heading's text must not
// run under that control, whatever the font.
inline void expectHeadingsClear(const QWidget& window, const std::vector<std::pair<const char*, const char*>>& pairs)
{
    for (const auto& [heading, neighbour] : pairs) {
        const auto* a = window.findChild<QWidget*>(QString::fromLatin1(heading));
        const auto* b = window.findChild<QWidget*>(QString::fromLatin1(neighbour));
        ASSERT_NE(a, nullptr) << heading;
        ASSERT_NE(b, nullptr) << neighbour;
        EXPECT_FALSE(a->geometry().intersects(b->geometry())) << heading << " runs under " << neighbour;
        EXPECT_TRUE(window.rect().contains(a->geometry())) << heading << " leaves the window";
    }
}

inline void expectFixedToolWindowWithOnlyACloseBox(const QWidget& window, QSize clientSize)
{
    EXPECT_EQ(window.size(), clientSize);
    EXPECT_EQ(window.minimumSize(), clientSize);
    EXPECT_EQ(window.maximumSize(), clientSize);
    const Qt::WindowFlags flags = window.windowFlags();
    EXPECT_EQ(flags & Qt::WindowType_Mask, Qt::Tool);
    EXPECT_TRUE(flags & Qt::WindowCloseButtonHint);
    EXPECT_FALSE(flags & Qt::WindowMinimizeButtonHint);
    EXPECT_FALSE(flags & Qt::WindowMaximizeButtonHint);
    EXPECT_TRUE(window.testAttribute(Qt::WA_DeleteOnClose));
    EXPECT_EQ(window.parentWidget(), nullptr);
}

inline void expectCentredOnScreen(const QWidget& window)
{
    const QPoint offset = window.geometry().center() - QGuiApplication::primaryScreen()->availableGeometry().center();
    EXPECT_LE(std::abs(offset.x()), 1) << window.geometry().x();
    EXPECT_LE(std::abs(offset.y()), 1) << window.geometry().y();
}

inline void pressKey(QWidget* window, Qt::Key key)
{
    QTest::keyClick(window->windowHandle(), key);
}

// Keys go to the window, which hands them to its focus widget as a real key press would.
inline void typeText(QWidget* window, const char* text)
{
    for (; *text != '\0'; ++text)
        QTest::keyClick(window->windowHandle(), *text);
}

// Answers the next message box the program shows modally. The box runs its own event loop, so the
// answer has to come from inside it: a timer looks for the box until it is up, notes what it
// says, and then `answer` presses a key or a button on it.
class ModalBoxAnswerer {
public:
    explicit ModalBoxAnswerer(std::function<void(QMessageBox&)> answer)
        : answer_(std::move(answer))
    {
        timer_.setInterval(5);
        QObject::connect(&timer_, &QTimer::timeout, [this] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (box == nullptr || !box->isVisible())
                return;
            timer_.stop();
            shown = true;
            text = box->text();
            textFormat = box->textFormat();
            parent = box->parentWidget();
            if (box->defaultButton() != nullptr)
                defaultButton = box->defaultButton()->text();
            for (QAbstractButton* button : box->buttons())
                buttons.push_back(button->text());
            answer_(*box);
        });
        timer_.start();
    }

    static std::function<void(QMessageBox&)> key(Qt::Key key)
    {
        return [key](QMessageBox& box) { QTest::keyClick(&box, key); };
    }
    static std::function<void(QMessageBox&)> click(const char* buttonName)
    {
        return [buttonName](QMessageBox& box) {
            QTest::mouseClick(box.findChild<QPushButton*>(QString::fromLatin1(buttonName)), Qt::LeftButton);
        };
    }

    bool shown = false;
    QString text;
    Qt::TextFormat textFormat = Qt::AutoText;
    QWidget* parent = nullptr;
    QString defaultButton;
    std::vector<QString> buttons;

private:
    std::function<void(QMessageBox&)> answer_;
    QTimer timer_;
};

// As the close box in the title bar does: the window system asks the window to close.
inline void closeFromTitleBar(QWidget* window)
{
    window->windowHandle()->close();
}
