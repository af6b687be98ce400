#include "LastHereOffer.h"

#include <QLabel>
#include <QPushButton>
#include <QStringList>

#include "LibraryWindow.h"
#include "Utf8Text.h"

namespace vantrel::library {

LastHereOffer::LastHereOffer(MainWindowLink& mainWindow, Loader load)
    : QObject(mainWindow.linkedWindow()),
      m_link(mainWindow),
      m_main(mainWindow.linkedWindow()),
      m_load(std::move(load)) {
    setObjectName("LastHereOffer");
    m_label = new QLabel;
    m_label->setObjectName("lblLastHere");
    m_button = new QPushButton("Load");
    m_button->setObjectName("cmdLoadLastHere");
    m_button->setToolTip("Load the setup of the last meeting at this track into the window");
    // A plain button: the racer sees when the keyboard's focus is on it.
    m_button->setAutoDefault(false);
    m_closestLabel = new QLabel;
    m_closestLabel->setObjectName("lblClosestConditions");
    m_closestButton = new QPushButton("Load");
    m_closestButton->setObjectName("cmdLoadClosest");
    m_closestButton->setToolTip("Load the setup of the run in the closest conditions into the window");
    m_closestButton->setAutoDefault(false);
    // First in the line, before the messages of a run.
    m_link.addToStatusLine({m_label, m_button, m_closestLabel, m_closestButton});
    connect(m_button, &QPushButton::clicked, this, &LastHereOffer::load);
    connect(m_closestButton, &QPushButton::clicked, this, [this] {
        if (!m_closest) return;
        const runs::StoredRun run = *m_closest;
        withdraw();
        m_load(run.values, QString::fromStdString("the setup of " + run.name + " on " + run.eventDate +
                                                  ", the run in the closest conditions"));
    });
}

QString LastHereOffer::whose(const Setup& values, const std::string& date) {
    QStringList parts;
    for (SetupField field : {SetupField::DriverName, SetupField::EventName, SetupField::EventDate}) {
        const std::string& text = field == SetupField::EventDate && !date.empty() ? date : values[std::size_t(field)];
        if (const QString part = fromStd(text).simplified(); !part.isEmpty()) parts << part;
    }
    return parts.isEmpty() ? QString("a setup without driver or event") : parts.join(", ");
}

QString LastHereOffer::setupOf(const Setup& values, const std::string& date) {
    auto part = [&](SetupField field) {
        const std::string& text = field == SetupField::EventDate && !date.empty() ? date : values[std::size_t(field)];
        return fromStd(text).simplified();
    };
    const QString driver = part(SetupField::DriverName), event = part(SetupField::EventName),
                  day = part(SetupField::EventDate);
    if (driver.isEmpty() && event.isEmpty() && day.isEmpty()) return "a setup without driver or event";
    QString text = driver.isEmpty() ? QString("the setup") : driver + "'s setup";
    if (!event.isEmpty()) text += " of " + event + (day.isEmpty() ? QString() : " (" + day + ")");
    else if (!day.isEmpty()) text += " of " + day;
    return text;
}

QString LastHereOffer::offerText(const HistoryEntry& last) {
    QString text = "Last here: " + whose(last.setup.values, last.eventDate);
    const QString finished = fromStd(last.setup.values[std::size_t(SetupField::ResultsFinishPos)]).trimmed();
    if (!finished.isEmpty()) text += ", finished " + finished;
    return text + " —";
}

void LastHereOffer::offerFor(const TypedMeeting& meeting) {
    m_last.reset();
    // A library that is missing, old or unreadable offers nothing: the window works on without it.
    m_closest.reset();
    try {
        const std::string path = m_link.installation().libraryFile();
        const auto library = openForHistory(path);
        const std::string trackText = meeting.track.toStdString(), driver = meeting.driver.toStdString();
        if (!meeting.driver.trimmed().isEmpty()) m_last = lastHere(*library, trackText, driver);
        if (!m_last) m_last = lastHere(*library, trackText);
        m_closest = runs::closestConditions(
            *library, trackText, driver,
            {meeting.trackTemp.toStdString(), meeting.traction.toStdString(), meeting.surface.toStdString()});
    } catch (const std::exception&) {
        m_last.reset();
        m_closest.reset();
    }
    if (!m_last) return withdraw();
    m_closestLabel->setVisible(bool(m_closest));
    m_closestButton->setVisible(bool(m_closest));
    if (m_closest) {
        // However long the run's names, the window keeps its width: the line
        // cuts the offer short, its tip has it whole.
        const QString text = QString::fromStdString("Closest conditions: " + runs::closestText(*m_closest));
        const QFontMetrics metrics = m_closestLabel->fontMetrics();
        const int room = 72 * metrics.horizontalAdvance('n');
        QString shown = text;
        if (metrics.horizontalAdvance(shown) > room) {
            // The event's name goes first: the run, its date and its best lap tell it.
            const QString event =
                QString::fromStdString(m_closest->values[std::size_t(SetupField::EventName)]).trimmed();
            if (!event.isEmpty()) shown.replace(" of " + event + " ", ", ");
        }
        m_closestLabel->setText(metrics.elidedText(shown, Qt::ElideRight, room) + " —");
        m_closestLabel->setToolTip(text);
    }
    m_label->setText(offerText(*m_last));
    m_label->setToolTip(fromStd(m_last->setup.sheet));
    m_label->show();
    m_button->show();
    m_link.statusOfferShown();
}

QString LastHereOffer::offered() const { return m_label && m_label->isVisibleTo(m_main) ? m_label->text() : QString(); }

QString LastHereOffer::offeredClosest() const {
    return m_closestLabel && m_closestLabel->isVisibleTo(m_main) ? m_closestLabel->text() : QString();
}

void LastHereOffer::withdraw() {
    for (QWidget* w : {static_cast<QWidget*>(m_label), static_cast<QWidget*>(m_button),
                       static_cast<QWidget*>(m_closestLabel), static_cast<QWidget*>(m_closestButton)})
        w->hide();
    m_link.statusOfferWithdrawn();
}

void LastHereOffer::load() {
    if (!m_last) return;
    const HistoryEntry last = *m_last;
    // Kept on offer when the racer keeps what they typed instead.
    if (m_load(last.setup.values, setupOf(last.setup.values, last.eventDate) + " from the setup library")) withdraw();
}

}  // namespace vantrel::library
