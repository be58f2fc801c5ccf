#pragma once

#include <QDialog>
#include <atomic>
#include <memory>

#include "data/BackgroundWorker.h"
#include "duplicates/DuplicateSearch.h"
#include "duplicates/NotDuplicates.h"
#include "duplicates/PartyKeys.h"

class CDatabase;
class QLabel;
class QListView;
class QProgressBar;
class QPushButton;
class QTabWidget;
class QTimer;

namespace duplicates {

class CDuplicateGroupModel;
class CMergeGrid;
class CMergeHistory;

// "Duplicates": the persons, and separately the firms, that are probably one, found off the
// user-interface thread with a progress bar and Cancel. A group chosen shows its records
// side by side to merge them, or to mark them "not duplicates" (kept in the settings file,
// section [duplicates], so the group is not offered again). The last merge can be undone.
class CDuplicatesDialog : public QDialog {
    Q_OBJECT
public:
    CDuplicatesDialog(CDatabase& db, CMergeHistory& history, QString settingsFile,
                      QWidget* parent = nullptr);
    ~CDuplicatesDialog() override;

    // Finds the groups again; the search before is dropped.
    void search();
    bool isSearching() const;
    CDuplicateGroupModel& groups(PartyKind kind) const;
    CMergeGrid& grid() const { return *m_grid; }
    // Shows the group of the kind's list at `row`.
    void selectGroup(PartyKind kind, int row);

    void mergeSelected();
    void markNotDuplicates();
    void undoLastMerge();

signals:
    // A search has ended, with its groups shown or cancelled.
    void searchEnded();

private:
    struct Selected {
        PartyKind kind;
        int row = -1;
    };

    void cancelSearch();
    void showResult(DuplicateSearchResult persons, DuplicateSearchResult firms);
    void showSelected();
    Selected selected() const;
    CNotDuplicates notDuplicates(PartyKind kind) const;
    void updateButtons();
    void updateTabTitles();

    CDatabase& m_db;
    CMergeHistory& m_history;
    QString m_settingsFile;
    CBackgroundWorker m_worker;
    bool m_searching = false;
    std::shared_ptr<std::atomic<int>> m_progressShown;
    QTabWidget* m_tabs = nullptr;
    QListView* m_lists[2] = {};
    CDuplicateGroupModel* m_models[2] = {};
    CMergeGrid* m_grid = nullptr;
    QLabel* m_status = nullptr;
    QLabel* m_lastAction = nullptr;
    QProgressBar* m_progress = nullptr;
    QTimer* m_progressTimer = nullptr;
    QPushButton* m_cancel = nullptr;
    QPushButton* m_findAgain = nullptr;
    QPushButton* m_merge = nullptr;
    QPushButton* m_notDuplicates = nullptr;
    QPushButton* m_undo = nullptr;
};

}  // namespace duplicates
