#pragma once
// What the library's windows ask of the main window they stand beside,
// handed to them instead of found there by object name: the meeting typed
// in it, the setup type chosen, its installation, and room in its status
// line for an offer.

#include <QString>
#include <vector>

class QWidget;

namespace vantrel {

class Installation;

namespace library {

// The meeting and the day's conditions as the main window's boxes hold them.
struct TypedMeeting {
    QString driver;
    QString track;
    QString trackTemp;
    QString traction;
    QString surface;
};

class MainWindowLink {
public:
    // The window itself: the font the others take, and the one whose closing they watch.
    virtual QWidget* linkedWindow() const = 0;
    virtual TypedMeeting typedMeeting() const = 0;
    // The setup type chosen in the window; empty when none is.
    virtual QString chosenSetupType() const = 0;
    // The installation the window runs in, read where the program started.
    virtual const Installation& installation() const = 0;

    // The status line takes these widgets first in its row, hidden.
    virtual void addToStatusLine(const std::vector<QWidget*>& widgets) = 0;
    // An offer among them is shown: the line shows, and a sheet's actions go
    // when the line names no sheet (they would have nothing to act on).
    virtual void statusOfferShown() = 0;
    // The offer went: the line hides when it says nothing else.
    virtual void statusOfferWithdrawn() = 0;

protected:
    MainWindowLink() = default;
    ~MainWindowLink() = default;
    MainWindowLink(const MainWindowLink&) = delete;
    MainWindowLink& operator=(const MainWindowLink&) = delete;
};

}  // namespace library
}  // namespace vantrel
