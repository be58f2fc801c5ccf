#pragma once

#include <QTableView>
#include <optional>

#include "data/BackgroundWorker.h"
#include "data/SortTerms.h"
#include "lists/ListModel.h"
#include "lists/ListPrinter.h"
#include "lists/ListSource.h"
#include "platform/CallerLink.h"
#include "platform/Document.h"
#include "platform/ListRefill.h"
#include "platform/OpenWindowRegistry.h"
#include "platform/RecordIdSource.h"

class CDBDoc;
class CIdFlags;
struct DataChange;
struct TableChange;
class CWildcardPattern;

// The base of the record lists: every row of one table as one line, one column per table
// column after `id`. The user sorts by a header click, narrows the rows with a filter,
// opens, adds and deletes records through the list's form, prints the list and arranges the
// columns, whose layout can be kept in the settings file. A concrete list only says in
// BeforeInitializeAll which table it shows, in which order, through which form and with
// which words for stored values.
//
// The rows live in a CListModel over the list's own read-only connection: the ids of the
// result are read in sort order, the cells by id when they are shown.
//
// The list follows the change notifier. A small change of its table while it shows its
// default order unfiltered moves only the changed rows, each to its sorted place; any other
// change fills the list again in its default order, reading the ids of a large table off
// the user-interface thread while the old rows stay on screen.
class CMyListView : public QTableView,
                    public CView,
                    public CListRefill,
                    public CListPrintSource,
                    public CRecordIdSource {
    Q_OBJECT
public:
    // `kind` is the window kind under which the list enters the open-list registry.
    CMyListView(CDocument* document, const QString& kind);
    ~CMyListView() override;

    void OnInitialUpdate() override;
    void OnUpdate(CView* sender, int hint, CHintObject* hintObject) override;
    // Room for a few columns and a screenful of rows when the window first opens.
    QSize sizeHint() const override { return {760, 420}; }

    // Runs BeforeInitializeAll once and puts the list's title on its document.
    bool configure();
    bool InitializeAll();
    void FillList(const QString& sort, bool keepColumns) override;
    // What a committed change means for the rows; subscribed to the change notifier.
    void DataChanged(const DataChange& change);
    // True while the ids of a refill are being read off the user-interface thread.
    bool refilling() const { return m_refill.busy(); }
    // Blocks until the background read of a refill has ended; its rows are then on their way
    // (for tests and the benchmark: the user-interface thread never waits).
    void waitForRefill() { m_refill.wait(); }
    bool OpenRecord(qint32 id);
    QString DisplayText(const QString& column, const QString& text) const;

    CListModel* listModel() const { return m_model; }
    const QString& currentSort() const { return m_currentSort; }
    const QString& sourceName() const { return m_sourceName; }
    const QString& title() const { return m_title; }
    const QStringList& columnFields() const { return m_columnFields; }
    // The id of the selected row, if a row is selected.
    std::optional<qint32> selectedId() const;

    // The direction of the next header click, shared by all lists: 1 ascending, 0 descending.
    static int& sortDirectionToggle();

    // What an export of the rows shown reads: the table ("Person", "Firm", ...) and the ids
    // in the list's order.
    QString shownTable() const override;
    QList<qint64> shownIds() const override;

    // What the list printout reads.
    int headerCount() const override;
    int headerWidth(int item) const override;
    QString headerText(int item) const override;
    int headerPosition(int item) const override;
    int listRowCount() const override;
    QString itemText(int row, int subItem) override;

    // The list commands (also reached through the document's broadcasts).
    void SortByColumn(int column);
    void OpenSelected();
    void NewRecord();
    void DeleteThroughForm();
    void Filter();
    void PrintList();
    void ShowHiddenColumns();

protected:
    virtual bool BeforeInitializeAll();

    void keyPressEvent(QKeyEvent* event) override;

    // Set by BeforeInitializeAll.
    QString m_databasePath;
    QString m_sourceName;
    QString m_defaultSort;
    QString m_formName;
    std::optional<FormKind> m_formKind;
    QString m_title;
    CDisplayTextTable& displayTexts() { return m_source.displayTexts(); }

private:
    // Runs a handler that reads the database; a failure is shown with the error report.
    template <class Handler>
    void guarded(Handler&& handler);
    CDBDoc* document() const;
    // The form's view, opened when it is not open; nullptr when it cannot be opened.
    CView* openForm();
    // False when the table's columns could not be read (reported).
    bool buildColumns();
    void fillRows();
    // Fills the rows in the order of `sort`, the sort text shown by currentSort().
    void fillSorted(std::vector<SortTerm> sort, const QString& sortText, bool keepColumns);
    // Moves the changed rows to their sorted places; false when the change cannot be
    // followed that way (the list is then filled again).
    bool followChange(const TableChange& change);
    bool updateInPlace(CRowSortKeyReader& keys, qint32 id);
    // Fills the list again in its default order after a change.
    void refillAfterChange();
    // New rows in place of the old ones, keeping the user's column layout.
    void setRows(std::vector<qint32> ids);
    void reselect(std::optional<qint32> id);
    void loadColumnLayout();
    void saveColumnLayout();
    void closeWindow();
    // Which of the listed ids have a cell in the column that the pattern matches; ids no
    // longer in the table count as empty cells.
    CIdFlags matchingIds(const CWildcardPattern& pattern, int column);

    CListSource m_source;
    CListModel* m_model;
    OpenWindowSlot m_slot;
    QString m_currentSort;
    std::vector<SortTerm> m_sortTerms;
    // The rows are in the default order, not narrowed by a filter: a change can be followed.
    bool m_followable = false;
    CBackgroundWorker m_refill;
    QStringList m_columnFields;
    std::optional<bool> m_configured;
};
