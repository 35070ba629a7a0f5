#pragma once

#include "platform/ModalState.h"

#include <QObject>

#include <functional>

// Watches every window of the program for modal boxes opening and closing, whichever part of
// the program opens them, and says when that changes.
class ModalWatcher final : public QObject, public ModalState {
    Q_OBJECT
public:
    explicit ModalWatcher(std::function<void()> changed, QObject* parent = nullptr);
    ~ModalWatcher() override;

    bool modalOpen() const override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void recheck();

    std::function<void()> changed_;
    bool open_ = false;
};
