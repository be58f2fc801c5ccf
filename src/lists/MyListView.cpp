#include "lists/MyListView.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QMdiSubWindow>
#include <algorithm>
#include <numeric>
#include <unordered_map>
#include <unordered_set>

#include "data/ChangeNotifier.h"
#include "data/Connection.h"
#include "data/DBDoc.h"
#include "data/ErrorReport.h"
#include "data/FanOutSearch.h"
#include "data/ListReads.h"
#include "lists/FilterDlg.h"
#include "lists/IdFlags.h"
#include "lists/WildcardPattern.h"
#include "platform/CommandIds.h"
#include "platform/FrameServices.h"
#include "platform/IniFile.h"
#include "platform/Prompter.h"
#include "platform/StringTable.h"
#include "platform/WaitCursor.h"

namespace {

constexpr int kColumnWidth = 128;
constexpr int kHiddenBelow = 5;
constexpr int kShownWidth = 96;
// A change of more rows than this fills the list again: then one read of the ids costs
// less than placing the rows one by one.
constexpr std::size_t kMostFollowedIds = 1000;
// From this many rows on, the ids of a refill after a change are read off the
// user-interface thread.
constexpr int kBackgroundRows = 20000;

}  // namespace

CMyListView::CMyListView(CDocument* document, const QString& kind)
    : m_model(new CListModel(m_source, this)), m_slot(kind, this) {
    SetDocument(document);
    setModel(m_model);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setShowGrid(true);
    setWordWrap(false);
    setAlternatingRowColors(false);
    setStyleSheet(QStringLiteral("QTableView { background: white; }"));
    verticalHeader()->hide();
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 4);
    QHeaderView* header = horizontalHeader();
    header->setSectionsMovable(true);
    header->setHighlightSections(false);
    header->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    header->setMinimumSectionSize(0);
    header->setDefaultSectionSize(kColumnWidth);
    header->setStretchLastSection(false);
    connect(header, &QHeaderView::sectionClicked, this, &CMyListView::SortByColumn);
    connect(this, &QAbstractItemView::doubleClicked, this, [this] { OpenSelected(); });
    connect(&changeNotifier(), &CChangeNotifier::changed, this, &CMyListView::DataChanged);
}

CMyListView::~CMyListView() {
    saveColumnLayout();
}

int& CMyListView::sortDirectionToggle() {
    static int toggle = 1;
    return toggle;
}

template <class Handler>
void CMyListView::guarded(Handler&& handler) {
    try {
        handler();
    } catch (const CDbException& e) {
        reportDbException(e);
    }
}

CDBDoc* CMyListView::document() const {
    return qobject_cast<CDBDoc*>(GetDocument());
}

bool CMyListView::BeforeInitializeAll() {
    messageBox(QStringLiteral(
        "Override CMyListView::BeforeInitializeAll and return TRUE to be succesful!"));
    return false;
}

bool CMyListView::configure() {
    if (!m_configured) {
        m_configured = BeforeInitializeAll();
        if (*m_configured && !m_title.isEmpty() && GetDocument())
            GetDocument()->SetTitle(m_title);
    }
    return *m_configured;
}

void CMyListView::OnInitialUpdate() {
    if (CDBDoc* doc = document()) {
        doc->setFlag(CDBDoc::NextEnabled, 1);
        doc->setFlag(CDBDoc::PreviousEnabled, 1);
    }
    InitializeAll();
    loadColumnLayout();
}

bool CMyListView::InitializeAll() {
    if (!configure())
        return false;
    m_source.setTable(m_sourceName);
    try {
        m_source.open(m_databasePath, currentPassword());
    } catch (const CDbException& e) {
        reportDbException(e);
        return false;
    }
    FillList(QString(), false);
    return true;
}

void CMyListView::FillList(const QString& sort, bool keepColumns) {
    if (!m_configured.value_or(false))
        return;
    m_refill.stop();
    // A list whose connection or columns could not be read tries again in full.
    if (!m_source.isOpen()) {
        try {
            m_source.open(m_databasePath, currentPassword());
        } catch (const CDbException& e) {
            reportDbException(e);
            return;
        }
    }
    WaitCursor wait;
    const std::optional<qint32> selected = selectedId();
    m_currentSort = sort.isEmpty() ? m_defaultSort : sort;
    m_followable = false;
    if (!keepColumns || m_columnFields.isEmpty()) {
        // A table that cannot be read is reported once; its rows are not tried as well.
        if (!buildColumns()) {
            m_model->setIds({});
            return;
        }
    }
    try {
        m_sortTerms = m_source.parseSort(m_currentSort);
    } catch (const CDbException& e) {
        reportDbException(e);
        m_model->setIds({});
        return;
    }
    m_followable = sort.isEmpty();
    fillRows();
    reselect(selected);
}

bool CMyListView::buildColumns() {
    m_columnFields.clear();
    bool read = true;
    try {
        m_source.readColumns();
    } catch (const CDbException& e) {
        reportDbException(e);
        read = false;
    }
    for (const CFieldInfo& column : m_source.columns())
        m_columnFields << column.m_strName;
    m_model->setHeaders(m_columnFields);
    for (int i = 0; i < m_columnFields.size(); ++i)
        horizontalHeader()->resizeSection(i, kColumnWidth);
    return read;
}

void CMyListView::fillRows() {
    std::vector<qint32> ids;
    try {
        ids = m_source.readIds(m_sortTerms);
    } catch (const CDbException& e) {
        reportDbException(e);
        ids.clear();
        m_followable = false;
    }
    setRows(std::move(ids));
}

void CMyListView::setRows(std::vector<qint32> ids) {
    // The header forgets its order and widths when the model resets; the user's stay.
    const QByteArray layout = horizontalHeader()->saveState();
    m_model->setIds(std::move(ids));
    horizontalHeader()->restoreState(layout);
}

void CMyListView::DataChanged(const DataChange& change) {
    if (!m_configured.value_or(false) || !change.touches(m_sourceName))
        return;
    guarded([&] {
        const TableChange* table = change.table(m_sourceName);
        if (!table || !followChange(*table))
            refillAfterChange();
    });
}

bool CMyListView::followChange(const TableChange& change) {
    if (!m_followable || m_refill.busy() || !m_source.isOpen() || m_columnFields.isEmpty() ||
        change.size() > kMostFollowedIds)
        return false;
    const std::optional<qint32> selected = selectedId();
    // A row written twice in one transaction is in two of the lists; whether it is still
    // there is read below.
    std::unordered_set<qint32> changed;
    for (const std::vector<qint32>* ids : {&change.inserted, &change.updated, &change.deleted})
        changed.insert(ids->begin(), ids->end());
    try {
        const std::unique_ptr<CRowSortKeyReader> keys = m_source.sortKeyReader(m_sortTerms);
        if (change.inserted.empty() && change.deleted.empty() && change.updated.size() == 1 &&
            updateInPlace(*keys, change.updated.front()))
            return true;
        m_model->removeIds(changed);
        // The rows left are in the order of their current keys, so a search over them,
        // reading the keys it visits, finds each changed row's place.
        std::unordered_map<qint64, RowSortKey> known;
        // Reads the keys of the rows at `places` not read yet, and the changed row's when
        // given. False when a listed row is gone without a word of it: another writer; read
        // everything.
        const auto readKeys = [&](std::span<const qsizetype> places, std::optional<qint32> row) {
            std::vector<qint64> unread;
            for (const qsizetype at : places)
                if (!known.contains(m_model->idAt(int(at))))
                    unread.push_back(m_model->idAt(int(at)));
            const std::size_t listed = unread.size();
            if (row)
                unread.push_back(*row);
            if (unread.empty())
                return true;
            std::unordered_map<qint64, RowSortKey> read = keys->readSome(unread);
            const std::size_t listedRead = read.size() - (row && read.contains(*row) ? 1 : 0);
            known.merge(read);
            return listedRead == listed;
        };
        for (qint32 id : changed) {
            const qsizetype rows = m_model->rowCount();
            const qsizetype perRead = keys->rowsPerRead();
            // A server's first round brings the changed row's key along: one round trip less.
            if (perRead > 1) {
                if (!readKeys(fanOutPlaces(0, rows, perRead), id))
                    return false;
            } else {
                RowSortKey key;
                if (keys->read(id, key) == CRowSortKeyReader::Outcome::Read)
                    known.emplace(id, std::move(key));
            }
            const auto own = known.find(id);
            if (own == known.end())
                continue;  // deleted
            const RowSortKey& key = own->second;
            const std::optional<qsizetype> place = fanOutSearch(
                rows, perRead,
                [&](std::span<const qsizetype> places) { return readKeys(places, std::nullopt); },
                [&](qsizetype at) {
                    return sortsBefore(known.at(m_model->idAt(int(at))), key, keys->columns());
                });
            if (!place)
                return false;
            m_model->insertId(int(*place), id);
        }
    } catch (const CDbException&) {
        // The refill that follows reads again and reports what still fails.
        return false;
    }
    // The selected record stays selected; a deleted one leaves no selection behind, as a
    // new fill of the list would.
    if (selected && selectedId() != selected) {
        if (m_model->rowOf(*selected) < 0)
            selectionModel()->clear();
        else
            reselect(selected);
    }
    return true;
}

// Most saves leave a record's sort keys as they were: one read of its key and its
// neighbours' keys tells that it keeps its row, which alone is read again and repainted,
// rather than the row taken out, its place searched for and the whole list repainted.
bool CMyListView::updateInPlace(CRowSortKeyReader& keys, qint32 id) {
    const int row = m_model->rowOf(id);
    if (row < 0)
        return false;
    std::vector<qint64> ids{id};
    const bool first = row == 0;
    const bool last = row + 1 == m_model->rowCount();
    if (!first)
        ids.push_back(m_model->idAt(row - 1));
    if (!last)
        ids.push_back(m_model->idAt(row + 1));
    const std::unordered_map<qint64, RowSortKey> read = keys.readSome(ids);
    if (read.size() != ids.size())
        return false;
    const RowSortKey& key = read.at(id);
    if ((!first && !sortsBefore(read.at(m_model->idAt(row - 1)), key, keys.columns())) ||
        (!last && !sortsBefore(key, read.at(m_model->idAt(row + 1)), keys.columns())))
        return false;
    m_model->refreshRow(row);
    return true;
}

void CMyListView::refillAfterChange() {
    if (m_model->rowCount() < kBackgroundRows || !m_source.isOpen() || m_columnFields.isEmpty()) {
        FillList(QString(), true);
        return;
    }
    std::vector<SortTerm> sort;
    try {
        sort = m_source.parseSort(m_defaultSort);
    } catch (const CDbException&) {
        FillList(QString(), true);
        return;
    }
    // The old rows stay on screen until the new ids arrive; a change meanwhile starts the
    // read again, and the older result is dropped.
    m_currentSort = m_defaultSort;
    m_sortTerms = sort;
    m_followable = false;
    m_refill.start(
        m_databasePath, currentPassword(),
        [this, table = m_source.table(), columns = m_source.columns(), sort](
            CDatabase& db, const std::stop_token&) -> CBackgroundWorker::Delivery {
            std::vector<qint32> ids = CListReads(db, table).readIds(sort, columns);
            return [this, ids = std::move(ids)]() mutable {
                const std::optional<qint32> selected = selectedId();
                m_followable = true;
                setRows(std::move(ids));
                reselect(selected);
            };
        },
        [](const CDbException& e) { reportDbException(e); });
}

std::optional<qint32> CMyListView::selectedId() const {
    const QModelIndexList rows =
        selectionModel() ? selectionModel()->selectedRows() : QModelIndexList();
    if (rows.isEmpty())
        return std::nullopt;
    return m_model->idAt(rows.first().row());
}

void CMyListView::reselect(std::optional<qint32> id) {
    if (!id)
        return;
    const int row = m_model->rowOf(*id);
    if (row < 0)
        return;
    const QModelIndex index = m_model->index(row, 0);
    selectionModel()->setCurrentIndex(
        index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    scrollTo(index);
}

QString CMyListView::DisplayText(const QString& column, const QString& text) const {
    return m_source.displayTexts().DisplayText(column, text);
}

void CMyListView::OnUpdate(CView*, int hint, CHintObject*) {
    guarded([&] {
        switch (hint) {
            case cmd::AddNew:
                NewRecord();
                break;
            case cmd::EditRecord:
                OpenSelected();
                break;
            case cmd::Filter:
                Filter();
                break;
            case cmd::FilterOff:
                FillList(QString(), true);
                break;
            case cmd::EraseRecord:
                DeleteThroughForm();
                break;
            case cmd::Print:
                PrintList();
                break;
            case cmd::Close:
                closeWindow();
                break;
            case cmd::ShowHiddenColumns:
                ShowHiddenColumns();
                break;
            default:
                break;
        }
    });
}

void CMyListView::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        OpenSelected();
        event->accept();
        return;
    }
    QTableView::keyPressEvent(event);
}

void CMyListView::SortByColumn(int column) {
    if (column < 0 || column >= m_columnFields.size())
        return;
    int& toggle = sortDirectionToggle();
    const bool descending = toggle != 1;
    toggle = toggle == 1 ? 0 : 1;
    m_refill.stop();
    WaitCursor wait;
    const std::optional<qint32> selected = selectedId();
    const std::size_t c = static_cast<std::size_t>(column);
    m_currentSort = QStringLiteral("%1 %2").arg(
        m_columnFields[column], descending ? QStringLiteral(" desc ") : QStringLiteral(" asc "));
    m_sortTerms = {{column, m_source.columns()[c].m_nType == FieldType::Text, descending}};
    m_followable = false;
    fillRows();
    reselect(selected);
}

void CMyListView::OpenSelected() {
    if (const std::optional<qint32> id = selectedId())
        OpenRecord(*id);
}

CView* CMyListView::openForm() {
    CFrameServices* services = frameServices();
    if (!services || m_formName.isEmpty())
        return nullptr;
    return services->OpenOrActivate(m_formName);
}

bool CMyListView::OpenRecord(qint32 id) {
    CView* form = openForm();
    if (!form)
        return true;
    frameServices()->ActivateView(form);
    if (auto* doc = qobject_cast<CDBDoc*>(form->GetDocument()))
        doc->ShowRecordById(id);
    return true;
}

void CMyListView::NewRecord() {
    CView* form = openForm();
    if (!form)
        return;
    frameServices()->ActivateView(form);
    if (CDocument* doc = form->GetDocument())
        doc->UpdateAllViews(nullptr, cmd::AddNew);
}

void CMyListView::DeleteThroughForm() {
    const std::optional<qint32> id = selectedId();
    if (!id)
        return;
    OpenRecord(*id);
    if (!m_formKind)
        return;
    callerLink(*m_formKind).set(this);
    if (CView* form = openwindows::find(m_formName); form && form->GetDocument())
        form->GetDocument()->UpdateAllViews(nullptr, cmd::EraseRecord);
}

void CMyListView::Filter() {
    // The filter narrows the rows of the finished refill, not the old ones.
    if (m_refill.busy())
        FillList(QString(), true);
    WaitCursor wait;
    CFilterDlg dialog;
    dialog.setOwnerList(this);
    if (dialog.exec() != QDialog::Accepted)
        return;
    const QString text = dialog.filterText();
    const int column = dialog.columnIndex();
    if (text.isEmpty()) {
        FillList(QString(), true);
        return;
    }
    if (column < 0 || column >= m_source.columnCount() || m_model->rowCount() == 0)
        return;
    const CWildcardPattern pattern(text);
    const std::optional<qint32> selected = selectedId();
    const CIdFlags matches = matchingIds(pattern, column);
    const QByteArray layout = horizontalHeader()->saveState();
    m_model->retainIds([&](qint32 id) { return matches.value(id); });
    m_followable = false;
    horizontalHeader()->restoreState(layout);
    reselect(selected);
}

CIdFlags CMyListView::matchingIds(const CWildcardPattern& pattern, int column) {
    // One pass over the column in the table, in the engine, which hands over only the rows
    // whose flag differs from that of an empty cell.
    const bool empty = pattern.matches(QString());
    CIdFlags matches(m_model->ids(), empty);
    for (qint32 id : m_source.idsWhereMatchIs(column, pattern, !empty))
        matches.set(id, !empty);
    return matches;
}

void CMyListView::PrintList() {
    CListPrinter printer;
    printer.setSourceList(this);
    printer.Print();
}

void CMyListView::ShowHiddenColumns() {
    if (messageBox(loadString(60014), Prompter::Buttons::YesNo, Prompter::Icon::Question) !=
        Prompter::Yes)
        return;
    QHeaderView* header = horizontalHeader();
    for (int i = 0; i < header->count(); ++i) {
        if (header->sectionSize(i) < kHiddenBelow)
            header->resizeSection(i, kShownWidth);
    }
}

void CMyListView::closeWindow() {
    for (QWidget* w = parentWidget(); w; w = w->parentWidget()) {
        if (auto* frame = qobject_cast<QMdiSubWindow*>(w)) {
            frame->close();
            return;
        }
    }
}

int CMyListView::headerCount() const {
    return horizontalHeader()->count();
}

int CMyListView::headerWidth(int item) const {
    return horizontalHeader()->sectionSize(item);
}

QString CMyListView::headerText(int item) const {
    return m_model->headerData(item, Qt::Horizontal).toString();
}

int CMyListView::headerPosition(int item) const {
    return horizontalHeader()->visualIndex(item);
}

int CMyListView::listRowCount() const {
    return m_model->rowCount();
}

QString CMyListView::itemText(int row, int subItem) {
    return m_model->cellText(row, subItem);
}

void CMyListView::loadColumnLayout() {
    CFrameServices* services = frameServices();
    if (!services || !services->rememberColumns() || m_sourceName.isEmpty())
        return;
    const IniFile file(services->settingsFile());
    const QString section = QStringLiteral("LV_") + m_sourceName;
    QHeaderView* header = horizontalHeader();
    const int m = header->count();
    std::vector<int> positions(static_cast<std::size_t>(m));
    for (int i = 0; i < m; ++i) {
        const int pos = file.readInt(section, QStringLiteral("Pos%1").arg(i), -1);
        positions[static_cast<std::size_t>(i)] = pos > -1 ? pos : i;
        const int size = file.readInt(section, QStringLiteral("Size%1").arg(i), -1);
        if (size > -1)
            header->resizeSection(i, size);
    }
    // The columns in the order of their stored positions (ties by column), then moved into
    // that order one display slot after the other.
    std::vector<int> order(static_cast<std::size_t>(m));
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(), [&](int a, int b) {
        return positions[static_cast<std::size_t>(a)] < positions[static_cast<std::size_t>(b)];
    });
    for (int visual = 0; visual < m; ++visual)
        header->moveSection(header->visualIndex(order[static_cast<std::size_t>(visual)]), visual);
}

void CMyListView::saveColumnLayout() {
    CFrameServices* services = frameServices();
    if (!services || !services->rememberColumns() || m_sourceName.isEmpty())
        return;
    const QHeaderView* header = horizontalHeader();
    QList<std::pair<QString, QString>> entries;
    for (int i = 0; i < header->count(); ++i) {
        entries.append({QStringLiteral("Pos%1").arg(i), QString::number(header->visualIndex(i))});
        entries.append({QStringLiteral("Size%1").arg(i), QString::number(header->sectionSize(i))});
    }
    if (!entries.isEmpty())
        IniFile(services->settingsFile())
            .writeStrings(QStringLiteral("LV_") + m_sourceName, entries);
}

QString CMyListView::shownTable() const {
    return m_sourceName.left(1).toUpper() + m_sourceName.mid(1);
}

QList<qint64> CMyListView::shownIds() const {
    const std::vector<qint32>& ids = m_model->ids();
    return QList<qint64>(ids.begin(), ids.end());
}
