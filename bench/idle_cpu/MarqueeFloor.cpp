// The least a Qt program can spend on a marquee like the game's: one 6 × 23 widget repainted
// twenty times a second, nothing else. Measured beside the game by idle-cpu.sh, it tells what
// part of the game's figure is the machine's and Qt's floor and what part is the game's own.
// With --timer-only the timer fires but paints nothing.
#include <QApplication>
#include <QPainter>
#include <QTimer>
#include <QWidget>

#include <cstring>

namespace {

class Cell final : public QWidget {
public:
    using QWidget::QWidget;

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        painter.fillRect(rect(), lit_ ? Qt::red : Qt::darkRed);
        lit_ = !lit_;
    }

private:
    bool lit_ = false;
};

} // namespace

int main(int argc, char** argv)
{
    const bool timerOnly = argc > 1 && std::strcmp(argv[1], "--timer-only") == 0;
    if (!qEnvironmentVariableIsSet("QT_XCB_NO_MITSHM"))
        qputenv("QT_XCB_NO_MITSHM", "1");  // as the game does
    QApplication app(argc, argv);
    QWidget window;
    window.setWindowTitle(QStringLiteral("marquee floor"));
    window.resize(300, 120);
    auto* cell = new Cell(&window);
    cell->setGeometry(10, 10, 6, 23);
    cell->setAttribute(Qt::WA_OpaquePaintEvent);
    window.show();
    QTimer step;
    step.setInterval(50);
    QObject::connect(&step, &QTimer::timeout, cell, [cell, timerOnly] {
        if (!timerOnly)
            cell->repaint();
    });
    step.start();
    return QApplication::exec();
}
