#pragma once
// "Last here: <driver>, <event>, <date>, finished <pos> — Load" in the main window's
// status line: when the racer leaves the Track / City box holding a track
// the library knows, the setup of the latest event there (the driver's own
// where the Driver Name box names one who raced there) is one click away.
// With Track Temp (and Traction or Surface) filled in, so is the run there
// in the closest conditions: "Closest conditions: 31 °C, high grip: Q3 of
// Summer Cup 2026-06-14, best 13.210 — Load".

#include <QObject>
#include <QPointer>
#include <array>
#include <functional>
#include <optional>
#include <string>

#include "MainWindowLink.h"
#include "library/TrackHistory.h"
#include "runs/Conditions.h"

class QLabel;
class QPushButton;
class QWidget;

namespace vantrel::library {

class LastHereOffer : public QObject {
    Q_OBJECT
public:
    // True when the setup went into the window (false: the racer kept what they typed).
    using Loader = std::function<bool(const Setup& values, const QString& from)>;
    // The offer stands in mainWindow's status line; load takes the setup into
    // the window as Open Setup does, `from` naming whose it is and where it
    // comes from ("Mara Keel's setup of Round 3 (2026-05-09) from the setup
    // library"). The installation's library is looked up at each look.
    LastHereOffer(MainWindowLink& mainWindow, Loader load);

    // Looks the meeting's track up and shows or withdraws the offer; what
    // leaving the Track / City box does.
    void offerFor(const TypedMeeting& meeting);
    // The offer's text without "Load" (empty: none shown).
    QString offered() const;
    // The closest conditions' offer without "Load" (empty: none shown).
    QString offeredClosest() const;
    // The text of an offer for this setup.
    static QString offerText(const HistoryEntry& last);
    // Whose setup it is: "<driver>, <event>, <date>", the parts it has;
    // `date` in place of the one typed when given.
    static QString whose(const Setup& values, const std::string& date = {});
    // The setup as a sentence names it: "Mara Keel's setup of Round 3
    // (2026-05-09)", the parts it has; `date` as for whose.
    static QString setupOf(const Setup& values, const std::string& date = {});

private:
    void withdraw();
    void load();

    MainWindowLink& m_link;
    QPointer<QWidget> m_main;
    Loader m_load;
    QLabel* m_label = nullptr;
    QPushButton* m_button = nullptr;
    std::optional<HistoryEntry> m_last;
    QLabel* m_closestLabel = nullptr;
    QPushButton* m_closestButton = nullptr;
    std::optional<runs::StoredRun> m_closest;
};

}  // namespace vantrel::library
