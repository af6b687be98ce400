#pragma once
// A small "working" window that belongs to the program; nothing shows it.

#include <QDialog>

class QLabel;

namespace vantrel {

class frmProgressBar : public QDialog {
    Q_OBJECT
public:
    explicit frmProgressBar(QWidget* parent = nullptr);
};

}  // namespace vantrel
