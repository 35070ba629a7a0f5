#pragma once

#include <QLabel>

// A one-line label whose text, where it is too long for the label, ends in "…" instead of being
// cut off mid-letter. text() stays the whole text; the whole text is also its tooltip.
class ElidingLabel : public QLabel {
public:
    explicit ElidingLabel(const QString& text, QWidget* parent = nullptr);

    // True while the text is too long to be shown whole.
    bool elided() const;

protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    QRect textArea() const;
};
