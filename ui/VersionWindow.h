#pragma once

#include <QDialog>

class QLabel;
class Shell;

// frmVersion: the program's name, version and credits over the maker's logo. A click on the
// logo asks the shell to open the maker's home page; a click anywhere else closes the window.
// The caller shows it with exec() and destroys it afterwards.
class VersionWindow : public QDialog {
    Q_OBJECT
public:
    explicit VersionWindow(Shell& shell, QWidget* parent = nullptr);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QLabel* addLabel(QWidget* frame, const char* name, const QString& text, int x, int y);

    Shell& shell_;
    QWidget* img_ = nullptr;
    QLabel* picQuillon_ = nullptr;
};
