#include "WindowGeometry.h"

#include <QElapsedTimer>
#include <QEvent>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QGuiApplication>
#include <QScreen>
#include <QSettings>
#include <QTimer>
#include <QWidget>
#include <QWindow>
#include <algorithm>
#include <cmath>

#include "platform/Files.h"
#include "platform/WindowFrame.h"

namespace vantrel::windowgeometry {

namespace {

QRect availableAround(const QWidget* window, const QRect& at) {
    const QScreen* screen = at.isValid() ? QGuiApplication::screenAt(at.center()) : nullptr;
    if (!screen) screen = window->screen();
    if (!screen) screen = QGuiApplication::primaryScreen();
    return screen ? screen->availableGeometry() : QRect();
}

// The frame around the window. Where the system draws it, the system says
// what shows (the toolkit's own reckoning leaves out the resize borders, which
// Windows 10 keeps invisible and Wine draws). Where a window manager puts it
// around the window, it is known only once the window is framed: until then,
// the one the last framed window had (a title bar is the same on every window
// of the desktop).
QMargins frameOf(const QWidget* window) {
    static QMargins lastKnown;
    const QWindow* handle = window->windowHandle();
    const qreal ratio = window->devicePixelRatioF();
    if (const auto drawn = handle ? platform::windowframe::drawnAround(handle->winId()) : std::nullopt) {
        // The system's pixels, a whole logical pixel for any part of one.
        const auto logical = [ratio](int pixels) { return int(std::ceil(pixels / ratio)); };
        lastKnown = QMargins(logical(drawn->left), logical(drawn->top), logical(drawn->right), logical(drawn->bottom));
        return lastKnown;
    }
    const QMargins own = handle ? handle->frameMargins() : QMargins();
    if (!own.isNull()) lastKnown = own;
    QMargins frame = own.isNull() ? lastKnown : own;
    // At a scale of 1.5 the frame's pixels round to a pixel less than they cover.
    if (ratio != qRound(ratio))
        frame += QMargins(frame.left() > 0, frame.top() > 0, frame.right() > 0, frame.bottom() > 0);
    return frame;
}

QString& placesFile() {
    static QString file;
    return file;
}

// The places kept, by window; none where the file is missing or not one of places.
QJsonObject readPlaces() {
    QFile file(placesFile());
    if (!file.open(QIODevice::ReadOnly) || file.size() > (1 << 18)) return {};
    return QJsonDocument::fromJson(file.read(1 << 18)).object();
}

// Places the window when it is first shown, and keeps its place whenever it
// is hidden (closed, or a dialog done) when it is remembered.
class Keeper : public QObject {
public:
    Keeper(QWidget* window, bool remembered) : QObject(window), m_window(window), m_remembered(remembered) {
        window->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched != m_window) return false;
        // The window manager frames, places and sizes a window after it shows:
        // fitted again then, with its frame known, for as long as that takes.
        if ((event->type() == QEvent::Move || event->type() == QEvent::Resize) && m_settling.isValid() &&
            !m_settling.hasExpired(2000)) {
            QTimer::singleShot(0, this, [this] { fit(); });
            return false;
        }
        if (event->spontaneous()) return false;
        if (event->type() == QEvent::Show) {
            m_settling.start();
            if (m_remembered && !m_placed) restore();
            m_placed = true;
            fit();
            // A box that sizes itself while it shows (a message box) is fitted once it has.
            QTimer::singleShot(0, this, [this] {
                m_shown = true;
                fit();
            });
        } else if (event->type() == QEvent::Hide && m_remembered) {
            save();
        }
        return false;
    }

private:
    void restore() {
        QRect kept;
        bool maximized = false;
        if (placesFile().isEmpty()) {
            QSettings settings(QSettings::IniFormat, QSettings::UserScope, "Vantrel", "Windows");
            settings.beginGroup(m_window->objectName());
            kept = settings.value("geometry").toRect();
            maximized = settings.value("maximized").toBool();
        } else {
            const QJsonObject place = readPlaces().value(m_window->objectName()).toObject();
            const auto number = [&place](const char* key) {
                // Far beyond any screen is no place the racer left a window.
                const int value = place.value(key).toInt();
                return std::clamp(value, -100000, 100000);
            };
            kept = QRect(number("x"), number("y"), number("width"), number("height"));
            maximized = place.value("maximized").toBool();
        }
        if (kept.isValid()) m_window->setGeometry(kept);
        if (maximized) m_window->setWindowState(m_window->windowState() | Qt::WindowMaximized);
    }

    void save() const {
        const QRect geometry = m_window->normalGeometry();
        if (placesFile().isEmpty()) {
            QSettings settings(QSettings::IniFormat, QSettings::UserScope, "Vantrel", "Windows");
            settings.beginGroup(m_window->objectName());
            settings.setValue("geometry", geometry);
            settings.setValue("maximized", m_window->isMaximized());
            return;
        }
        QJsonObject places = readPlaces();
        places.insert(m_window->objectName(), QJsonObject{{"x", geometry.x()},
                                                          {"y", geometry.y()},
                                                          {"width", geometry.width()},
                                                          {"height", geometry.height()},
                                                          {"maximized", m_window->isMaximized()}});
        const QByteArray bytes = QJsonDocument(places).toJson();
        // A place not kept costs the racer nothing but the place.
        platform::files::replaceAtomically(placesFile().toStdString(), [&bytes](int fd) {
            return platform::files::writeAll(fd, std::string_view(bytes.constData(), std::size_t(bytes.size())))
                       ? std::string()
                       : std::string("the system refused the write");
        });
    }

    void fit() {
        if (!m_window->isVisible() || m_window->isMaximized() || m_window->isFullScreen()) return;
        const QRect now = m_window->geometry();
        // A new window that nobody placed is left to the system to place; only its size is fitted.
        const bool placed = m_window->testAttribute(Qt::WA_Moved) || m_shown;
        const QRect available = availableAround(m_window, placed ? now : QRect());
        const QRect fit = fitted(placed ? now : QRect(available.topLeft(), now.size()), available, frameOf(m_window));
        if (placed && fit != now) m_window->setGeometry(fit);
        else if (!placed && fit.size() != now.size()) m_window->resize(fit.size());
    }

    QWidget* m_window;
    bool m_remembered;
    bool m_placed = false;
    bool m_shown = false;
    QElapsedTimer m_settling;
};

}  // namespace

QRect fitted(const QRect& wanted, const QRect& available, const QMargins& frame) {
    if (!available.isValid()) return wanted;
    const QRect room = available.marginsRemoved(frame);
    QRect fit = wanted;
    fit.setWidth(std::min(fit.width(), room.width()));
    fit.setHeight(std::min(fit.height(), room.height()));
    fit.moveLeft(std::clamp(fit.left(), room.left(), room.right() + 1 - fit.width()));
    fit.moveTop(std::clamp(fit.top(), room.top(), room.bottom() + 1 - fit.height()));
    return fit;
}

void keepPlacesIn(const QString& nativeFile) { placesFile() = nativeFile; }

void remember(QWidget* window) {
    if (window) new Keeper(window, true);
}

void fitOnShow(QWidget* window) {
    if (window) new Keeper(window, false);
}

}  // namespace vantrel::windowgeometry
