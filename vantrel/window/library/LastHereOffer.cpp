#include "LastHereOffer.h"

#include <QBoxLayout>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStringList>

#include "LibraryWindow.h"

namespace vantrel::library {

namespace {
QString fromStd(const std::string& text) { return QString::fromUtf8(text.data(), qsizetype(text.size())); }
}  // namespace

LastHereOffer::LastHereOffer(QWidget* mainWindow, Loader load, std::string libraryPath)
    : QObject(mainWindow), m_main(mainWindow), m_load(std::move(load)), m_libraryPath(std::move(libraryPath)) {
    setObjectName("LastHereOffer");
    auto* line = mainWindow->findChild<QFrame*>("StatusLine");
    auto* track = mainWindow->findChild<QLineEdit*>("txtTrackCity");
    auto* layout = line ? qobject_cast<QBoxLayout*>(line->layout()) : nullptr;
    if (!layout || !track) return;
    m_label = new QLabel(line);
    m_label->setObjectName("lblLastHere");
    m_button = new QPushButton("Load", line);
    m_button->setObjectName("cmdLoadLastHere");
    m_button->setToolTip("Load the setup of the last meeting at this track into the window");
    // A plain button: the racer sees when the keyboard's focus is on it.
    m_button->setAutoDefault(false);
    // First in the line, before the messages of a run.
    layout->insertWidget(0, m_label);
    layout->insertWidget(1, m_button);
    m_label->hide();
    m_button->hide();
    connect(m_button, &QPushButton::clicked, this, &LastHereOffer::load);
    connect(track, &QLineEdit::editingFinished, this, [this, track] {
        const auto* driver = m_main->findChild<QLineEdit*>("txtDriverName");
        offerFor(track->text(), driver ? driver->text() : QString());
    });
}

QString LastHereOffer::whose(const SetupValues& values, const std::string& date) {
    QStringList parts;
    for (SetupField field : {SetupField::DriverName, SetupField::EventName, SetupField::EventDate}) {
        const std::string& text = field == SetupField::EventDate && !date.empty() ? date : values[std::size_t(field)];
        if (const QString part = fromStd(text).simplified(); !part.isEmpty()) parts << part;
    }
    return parts.isEmpty() ? QString("a setup without driver or event") : parts.join(", ");
}

QString LastHereOffer::offerText(const HistoryEntry& last) {
    QString text = "Last here: " + whose(last.setup.values, last.eventDate);
    const QString finished = fromStd(last.setup.values[std::size_t(SetupField::ResultsFinishPos)]).trimmed();
    if (!finished.isEmpty()) text += ", finished " + finished;
    return text + " —";
}

void LastHereOffer::offerFor(const QString& track, const QString& driver) {
    if (!m_label) return;
    m_last.reset();
    // A library that is missing, old or unreadable offers nothing: the window works on without it.
    try {
        const std::string path = m_libraryPath.empty() ? LibraryWindow::programLibraryPath() : m_libraryPath;
        const auto library = openForHistory(path);
        const std::string trackText = track.toStdString();
        if (!driver.trimmed().isEmpty()) m_last = lastHere(*library, trackText, driver.toStdString());
        if (!m_last) m_last = lastHere(*library, trackText);
    } catch (const std::exception&) {
        m_last.reset();
    }
    if (!m_last) return withdraw();
    m_label->setText(offerText(*m_last));
    m_label->setToolTip(fromStd(m_last->setup.sheet));
    auto* line = m_label->parentWidget();
    // Without a sheet named in the status line its sheet's buttons have nothing to act on.
    const auto* status = line->findChild<QLabel*>("lblStatus");
    if (status && status->text().isEmpty())
        for (auto* name : {"cmdOpenSheet", "cmdShowFolder"})
            if (auto* button = line->findChild<QPushButton*>(name)) button->hide();
    m_label->show();
    m_button->show();
    line->show();
}

QString LastHereOffer::offered() const { return m_label && m_label->isVisibleTo(m_main) ? m_label->text() : QString(); }

void LastHereOffer::withdraw() {
    if (!m_label) return;
    m_label->hide();
    m_button->hide();
    const auto* status = m_label->parentWidget()->findChild<QLabel*>("lblStatus");
    if (!status || status->text().isEmpty()) m_label->parentWidget()->hide();
}

void LastHereOffer::load() {
    if (!m_last) return;
    const HistoryEntry last = *m_last;
    // Kept on offer when the racer keeps what they typed instead.
    if (m_load(last.setup.values, whose(last.setup.values, last.eventDate) + " from the setup library")) withdraw();
}

}  // namespace vantrel::library
