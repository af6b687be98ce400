#include "WheelGuard.h"

#include <QComboBox>
#include <QEvent>

namespace vantrel::wheelguard {

namespace {

class Guard : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() != QEvent::Wheel) return false;
        auto* box = qobject_cast<QComboBox*>(watched);
        if (!box || box->hasFocus()) return false;
        // Ignored and filtered: the wheel goes on to the box's parents.
        event->ignore();
        return true;
    }
};

}  // namespace

void install(QComboBox* box) {
    box->setFocusPolicy(Qt::StrongFocus);
    box->installEventFilter(new Guard(box));
}

}  // namespace vantrel::wheelguard
