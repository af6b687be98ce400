#pragma once
// Takes a whole setup into the main window's setup controls: from a raw data
// file or a setup sheet chosen with "Open Setup…" (Ctrl+O), dropped anywhere
// onto the window or named on the command line, or from values the library
// hands over. Reports through the window's status line. A load over what the
// racer typed since the last load or sheet asks first.

#include <QObject>
#include <QStringList>
#include <array>
#include <string>

#include "CAppSettings.h"

class QPushButton;
class QWidget;

namespace vantrel {

class MainForm;

class SetupLoader : public QObject {
    Q_OBJECT
public:
    // Installs Ctrl+O and the drop of a file onto the window.
    explicit SetupLoader(MainForm& window);

    // "Open Setup…", made where the File tab wants it.
    QPushButton* openSetupButton();

    // Sets all 73 setup controls from a setup given as its values in record
    // order ("same as front" unticked); `from` names the setup and where it
    // came from ("the setup of <file>", "Mara Keel's setup of Round 3
    // (2026-05-09) from the setup library"), as the status line ("Loaded …")
    // and the question before a load over typing ("Replace what you typed
    // with …?") show it. A
    // value that no control can show (an option number outside its group, an
    // arm length that is neither Long nor Short, both toe fields set, a text
    // over 254 bytes, with a line break or not UTF-8) is listed in one
    // message after the load; its control keeps what could be set, an option
    // group none of its buttons. Starts no run, writes no file, leaves the
    // File tab alone. True when every value is shown as it is; false also
    // when the racer keeps what they typed instead.
    bool loadSetup(const Setup& values, const QString& from);
    // The car of the setup alone (chassis, shocks, geometry, tyres,
    // electronics): the driver, track, event, date and the day's conditions
    // in the window stay as the racer typed them.
    bool loadCar(const Setup& values, const QString& from);
    // A setup the library hands over, named by its driver, event and date.
    bool loadFromLibrary(const Setup& values);
    // The setup of a raw data file or a setup sheet loaded as loadSetup does;
    // a file that cannot be read changes no control and shows one message
    // naming the file and why. True when the file was loaded.
    bool openSetupFile(const QString& path);

    // What the setup controls hold now is nothing the racer would lose: at
    // the window's start, after a load, after a sheet was made from them.
    void markKept();
    // Whether a setup control differs from what markKept last saw.
    bool typedSinceKept(bool carOnly = false) const;

protected:
    // A file dropped anywhere onto the window opens as a setup, also where a
    // text box would otherwise take the file's name as text.
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void openSetupClicked();
    QStringList controlValues(bool carOnly = false) const;
    // Loads after asking where the racer typed; the status line then reads
    // "Loaded the setup of" the file (when one) or `from`, then `after`,
    // as a warning when `warn`.
    enum class Outcome { Kept, Loaded, LoadedInPart };
    Outcome load(const Setup& values, const QString& from, const QString& file, const QString& after, bool warn,
                 bool carOnly = false);

    MainForm& m_window;
    QWidget* m_form;
    QStringList m_kept, m_keptCar;  // the controls' values at the last markKept
};

}  // namespace vantrel
