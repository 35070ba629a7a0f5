#pragma once

#include <QAbstractNativeEventFilter>
#include <QObject>
#include <QPointer>

#include <cstdint>

class QWidget;
class QWindow;

// Whether a top-level window can be seen at all: shown, exposed (not unmapped, as when
// minimized or on another workspace) and, on X11 without a compositor, not wholly covered by
// other windows, which only the server's visibility events tell.
class WindowVisibility final : public QObject, private QAbstractNativeEventFilter {
    Q_OBJECT
public:
    explicit WindowVisibility(QWidget& window);
    ~WindowVisibility() override;

    bool seen() const { return seen_; }

signals:
    void seenChanged(bool seen);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr* result) override;
    void attach();
    void watchX11Visibility();
    void recheck();

    QWidget& widget_;
    QPointer<QWindow> window_;
    std::uint32_t x11Window_ = 0;
    bool fullyCovered_ = false;
    bool seen_ = false;
};
