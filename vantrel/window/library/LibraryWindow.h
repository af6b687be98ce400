#pragma once
// The library window: every setup the library keeps, newest first, a search
// that filters as the racer types, and what can be done with the chosen
// setups: open the sheet, load the setup into the main window, delete it
// from the library, compare two to four; import from files and folders and
// export as CSV. Not modal: the main window stays usable beside it.

#include <QStringList>
#include <QWidget>
#include <functional>
#include <memory>
#include <thread>
#include <vector>

#include "Dialogs.h"
#include "ElidedLabel.h"
#include "MainWindowLink.h"
#include "SetupType.h"
#include "library/SetupImport.h"
#include "library/SetupLibrary.h"

class QLabel;
class QLineEdit;
class QPushButton;
class QTimer;
class QTableView;

namespace vantrel::library {

class LibraryFilter;
class ImportTask;
class LibraryModel;

class LibraryWindow : public QWidget {
    Q_OBJECT
public:
    // The library at nativePath (created when missing), importing sheets by
    // the setup types of setupTypes and asking the racer through dialogs,
    // which it hands to the windows it opens. mainWindow, when given, names
    // the setup type of imported raw data files and the racer whose own an
    // imported setup is (without it, every one is), and gives its font.
    LibraryWindow(const std::string& nativePath, SetupTypeFolders setupTypes, Dialogs dialogs,
                  MainWindowLink* mainWindow = nullptr, QWidget* parent = nullptr);
    ~LibraryWindow() override;

    // The readers an import uses: those added here (setup sheets, say),
    // then raw data files, recorded with the setup type chosen in the main
    // window (else "RDX").
    void addReader(std::shared_ptr<const SetupFileReader> reader);
    // Instead of all of those, exactly these.
    void setReaders(std::vector<std::shared_ptr<const SetupFileReader>> readers);
    // Reads the library again. The window does so itself when it becomes
    // active and the number of setups has changed (a run recorded one).
    void reload();

    // The actions, as their buttons start them.
    void openSheet();
    void loadChosen();
    void deleteChosen();
    void compareChosen();
    // The history of the chosen setup's track (TrackHistoryWindow).
    void openTrackHistory();
    void importPaths(const QStringList& paths);
    void exportCsvFile();

    // The ids of the chosen rows, in the table's order.
    std::vector<std::int64_t> chosenIds() const;
    QTableView* table() const { return m_table; }

protected:
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

signals:
    // The racer asked to load this setup into the main window: its 73 values
    // in the raw data file's order, byte for byte as stored (a value that is
    // not UTF-8 stays so, for the main window to name), and its setup type.
    void loadRequested(const vantrel::Setup& setup, const QString& setupType);

private:
    // Reloads when another program changed the library since the last look.
    void reloadIfChangedElsewhere();
    void searchChanged(const QString& text);
    // The search and the origin as they stand, its first rows at once and its count beside.
    void runSearch();
    // How many setups the search keeps, counted on a connection of its own
    // beside the window (a scan of the library), shown when it is done.
    void countBeside();
    // Sorting by anything but the newest first needs every row of the search.
    void sortChanged(int column, Qt::SortOrder order);
    void rebuildSheet(const StoredSetup& setup);
    void chosenChanged();
    QString setupTypeForRawData() const;
    bool failed(const std::function<void()>& action);
    // While an import runs: asks whether to cancel it and close once it stopped; false keeps the window open.
    bool stopImportBeforeClosing();

    std::unique_ptr<SetupLibrary> m_library;
    std::string m_path;
    SetupTypeFolders m_setupTypes;
    Dialogs m_dialogs;
    MainWindowLink* m_link = nullptr;
    QWidget* m_mainWindow = nullptr;  // m_link's window
    std::vector<std::shared_ptr<const SetupFileReader>> m_readers;
    bool m_readersSet = false;
    ImportTask* m_import = nullptr;  // the import that runs, if any
    bool m_closeAfterImport = false;
    bool m_closeMainAfterImport = false;
    std::int64_t m_seenVersion = -1;  // the library's dataVersion when last reloaded
    LibraryModel* m_model = nullptr;
    LibraryFilter* m_filter = nullptr;
    QTimer* m_searchTimer = nullptr;  // a pause in the typing starts the search
    int m_origin = 0;                 // PageQuery::Origin of cmbFrom
    // One count at a time beside the window; a search meanwhile is counted
    // when it ends, so a burst of typing never runs scans side by side.
    std::thread m_counting;
    bool m_countRunning = false;
    bool m_countPending = false;
    QLineEdit* m_search = nullptr;
    QTableView* m_table = nullptr;
    ElidedLabel* m_count = nullptr;
    QPushButton* m_open = nullptr;
    QPushButton* m_load = nullptr;
    QPushButton* m_delete = nullptr;
    QPushButton* m_compare = nullptr;
};

}  // namespace vantrel::library
