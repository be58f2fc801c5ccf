#include "duplicates/DuplicatesDialog.h"

#include <QHBoxLayout>
#include <QItemSelectionModel>
#include <QLabel>
#include <QListView>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollArea>
#include <QSplitter>
#include <QTabWidget>
#include <QTimer>
#include <QVBoxLayout>

#include "data/Database.h"
#include "data/ErrorReport.h"
#include "data/RecordMerge.h"
#include "data/RecordReads.h"
#include "duplicates/DuplicateGroupModel.h"
#include "duplicates/MergeGrid.h"
#include "duplicates/MergeHistory.h"
#include "platform/IniFile.h"
#include "platform/Prompter.h"

namespace duplicates {

namespace {

constexpr int kProgressPollMs = 100;
// The firms are few beside the persons: the bar gives them the last part.
constexpr int kPersonsShare = 85;

const QString kSection = QStringLiteral("duplicates");

int indexOf(PartyKind kind) {
    return kind == PartyKind::Person ? 0 : 1;
}

QString settingsKey(PartyKind kind) {
    return kind == PartyKind::Person ? QStringLiteral("persons") : QStringLiteral("firms");
}

QString kindText(PartyKind kind, int count) {
    if (kind == PartyKind::Person)
        return count == 1 ? QStringLiteral("person") : QStringLiteral("persons");
    return count == 1 ? QStringLiteral("company") : QStringLiteral("companies");
}

}  // namespace

CDuplicatesDialog::CDuplicatesDialog(CDatabase& db, CMergeHistory& history, QString settingsFile,
                                     QWidget* parent)
    : QDialog(parent),
      m_db(db),
      m_history(history),
      m_settingsFile(std::move(settingsFile)),
      m_progressShown(std::make_shared<std::atomic<int>>(0)) {
    setWindowTitle(QStringLiteral("Duplicates"));
    resize(1180, 640);

    m_tabs = new QTabWidget(this);
    for (PartyKind kind : {PartyKind::Person, PartyKind::Firm}) {
        const int i = indexOf(kind);
        m_models[i] = new CDuplicateGroupModel(this);
        m_lists[i] = new QListView(this);
        m_lists[i]->setObjectName(kind == PartyKind::Person ? QStringLiteral("personGroups")
                                                            : QStringLiteral("firmGroups"));
        m_lists[i]->setModel(m_models[i]);
        m_lists[i]->setUniformItemSizes(true);
        m_lists[i]->setSelectionMode(QAbstractItemView::SingleSelection);
        m_tabs->addTab(m_lists[i], QString());
        connect(m_lists[i]->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
                [this] { showSelected(); });
    }
    connect(m_tabs, &QTabWidget::currentChanged, this, [this] { showSelected(); });

    m_grid = new CMergeGrid(this);
    auto* scroll = new QScrollArea(this);
    scroll->setWidget(m_grid);
    scroll->setWidgetResizable(true);
    auto* splitter = new QSplitter(this);
    splitter->addWidget(m_tabs);
    splitter->addWidget(scroll);
    splitter->setStretchFactor(1, 2);
    // The groups' names side by side need room to be told apart.
    splitter->setSizes({420, 740});

    m_status = new QLabel(this);
    m_status->setObjectName(QStringLiteral("status"));
    m_status->setWordWrap(true);
    // What the last merge or undo did; it stays while the next search runs.
    m_lastAction = new QLabel(this);
    m_lastAction->setObjectName(QStringLiteral("lastAction"));
    m_progress = new QProgressBar(this);
    m_progress->setRange(0, 100);
    m_progressTimer = new QTimer(this);
    m_progressTimer->setInterval(kProgressPollMs);
    connect(m_progressTimer, &QTimer::timeout, this,
            [this] { m_progress->setValue(m_progressShown->load()); });

    m_cancel = new QPushButton(QStringLiteral("Cancel"), this);
    m_findAgain = new QPushButton(QStringLiteral("&Find again"), this);
    m_merge = new QPushButton(QStringLiteral("&Merge"), this);
    m_notDuplicates = new QPushButton(QStringLiteral("&Not duplicates"), this);
    m_undo = new QPushButton(QStringLiteral("&Undo last merge"), this);
    auto* close = new QPushButton(QStringLiteral("Close"), this);
    m_cancel->setObjectName(QStringLiteral("cancelSearch"));
    m_findAgain->setObjectName(QStringLiteral("findAgain"));
    m_merge->setObjectName(QStringLiteral("merge"));
    m_notDuplicates->setObjectName(QStringLiteral("notDuplicates"));
    m_undo->setObjectName(QStringLiteral("undoMerge"));
    m_merge->setToolTip(
        QStringLiteral("Merge the records into the one to keep, with the values chosen"));
    connect(m_cancel, &QPushButton::clicked, this, [this] { cancelSearch(); });
    connect(m_findAgain, &QPushButton::clicked, this, [this] { search(); });
    connect(m_merge, &QPushButton::clicked, this, [this] { mergeSelected(); });
    connect(m_notDuplicates, &QPushButton::clicked, this, [this] { markNotDuplicates(); });
    connect(m_undo, &QPushButton::clicked, this, [this] { undoLastMerge(); });
    connect(close, &QPushButton::clicked, this, &QDialog::reject);
    connect(&m_history, &CMergeHistory::changed, this, [this] { updateButtons(); });

    auto* progressRow = new QHBoxLayout;
    progressRow->addWidget(m_status, 1);
    progressRow->addWidget(m_progress);
    progressRow->addWidget(m_cancel);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(m_findAgain);
    buttons->addWidget(m_lastAction, 1);
    buttons->addWidget(m_merge);
    buttons->addWidget(m_notDuplicates);
    buttons->addWidget(m_undo);
    buttons->addWidget(close);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(splitter, 1);
    layout->addLayout(progressRow);
    layout->addLayout(buttons);

    updateTabTitles();
    search();
}

CDuplicatesDialog::~CDuplicatesDialog() = default;

bool CDuplicatesDialog::isSearching() const {
    return m_searching;
}

CDuplicateGroupModel& CDuplicatesDialog::groups(PartyKind kind) const {
    return *m_models[indexOf(kind)];
}

void CDuplicatesDialog::search() {
    m_searching = true;
    m_progressShown->store(0);
    m_progress->setValue(0);
    m_progress->show();
    m_cancel->show();
    m_progressTimer->start();
    m_status->setText(QStringLiteral("Looking for duplicates..."));
    const CNotDuplicates persons = notDuplicates(PartyKind::Person);
    const CNotDuplicates firms = notDuplicates(PartyKind::Firm);
    m_worker.start(
        m_db.GetName(), m_db.password(),
        [this, persons, firms, shown = m_progressShown](
            CDatabase& db, const std::stop_token&) -> CBackgroundWorker::Delivery {
            DuplicateSearchResult foundPersons = findDuplicates(
                db, PartyKind::Person, persons,
                [&shown](int percent) { shown->store(percent * kPersonsShare / 100); });
            DuplicateSearchResult foundFirms =
                findDuplicates(db, PartyKind::Firm, firms, [&shown](int percent) {
                    shown->store(kPersonsShare + percent * (100 - kPersonsShare) / 100);
                });
            return [this, p = std::move(foundPersons), f = std::move(foundFirms)]() mutable {
                showResult(std::move(p), std::move(f));
            };
        },
        [this](const CDbException& error) {
            m_searching = false;
            m_progressTimer->stop();
            m_progress->hide();
            m_cancel->hide();
            m_status->setText(QStringLiteral("The search failed."));
            reportDbException(error);
            emit searchEnded();
        });
    updateButtons();
}

void CDuplicatesDialog::cancelSearch() {
    m_worker.stop();
    m_searching = false;
    m_progressTimer->stop();
    m_progress->hide();
    m_cancel->hide();
    m_status->setText(QStringLiteral("The search was cancelled."));
    updateButtons();
    emit searchEnded();
}

void CDuplicatesDialog::showResult(DuplicateSearchResult persons, DuplicateSearchResult firms) {
    m_searching = false;
    m_progressTimer->stop();
    m_progress->hide();
    m_cancel->hide();
    const int personGroups = int(persons.groups.size());
    const int firmGroups = int(firms.groups.size());
    m_models[0]->setResult(std::move(persons));
    m_models[1]->setResult(std::move(firms));
    m_status->setText(personGroups + firmGroups == 0
                          ? QStringLiteral("No probable duplicates were found.")
                          : QStringLiteral("Choose a group to merge its records."));
    updateTabTitles();
    // Companies first only when there is nothing among the persons.
    m_tabs->setCurrentIndex(personGroups == 0 && firmGroups > 0 ? 1 : 0);
    const int shownTab = m_tabs->currentIndex();
    if (m_models[shownTab]->rowCount() > 0)
        m_lists[shownTab]->setCurrentIndex(m_models[shownTab]->index(0));
    showSelected();
    emit searchEnded();
}

CDuplicatesDialog::Selected CDuplicatesDialog::selected() const {
    const PartyKind kind = m_tabs->currentIndex() == 0 ? PartyKind::Person : PartyKind::Firm;
    const QModelIndex current = m_lists[indexOf(kind)]->currentIndex();
    return {kind, current.isValid() ? current.row() : -1};
}

void CDuplicatesDialog::selectGroup(PartyKind kind, int row) {
    m_tabs->setCurrentIndex(indexOf(kind));
    m_lists[indexOf(kind)]->setCurrentIndex(m_models[indexOf(kind)]->index(row));
    showSelected();
}

void CDuplicatesDialog::showSelected() {
    const Selected shown = selected();
    if (shown.row < 0 || isSearching()) {
        m_grid->clear();
        updateButtons();
        return;
    }
    const CDuplicateGroupModel& model = *m_models[indexOf(shown.kind)];
    const DuplicateGroup& group = model.group(shown.row);
    QStringList names;
    std::vector<QStringList> records;
    QStringList columns;
    for (const MergeField& field : mergeFields(shown.kind))
        columns << field.column;
    reportDbErrors([&] {
        const QHash<qint32, QStringList> stored =
            readRecordTexts(m_db, tableOf(shown.kind), columns, group.ids);
        for (qint32 id : group.ids) {
            if (!stored.contains(id))
                continue;  // gone since the search
            names << model.nameOf(id);
            records.push_back(stored.value(id));
        }
    });
    if (records.size() < 2)
        m_grid->clear();
    else
        m_grid->setRecords(shown.kind, names, std::move(records));
    m_status->setText(QStringLiteral("Probably one: %1.").arg(reasonsText(group.reasons)));
    updateButtons();
}

void CDuplicatesDialog::mergeSelected() {
    const Selected shown = selected();
    const CMergeChoices* choices = m_grid->choices();
    if (shown.row < 0 || !choices || isSearching())
        return;
    CDuplicateGroupModel& model = *m_models[indexOf(shown.kind)];
    // The grid's records are those of the group still in the file, in the group's order.
    QHash<qint32, QStringList> present;
    std::vector<qint32> ids;
    reportDbErrors([&] {
        present = readRecordTexts(m_db, tableOf(shown.kind), {QStringLiteral("id")},
                                  model.group(shown.row).ids);
    });
    for (qint32 id : model.group(shown.row).ids)
        if (present.contains(id))
            ids.push_back(id);
    if (int(ids.size()) != choices->recordCount()) {
        showSelected();
        return;
    }
    MergeRequest request;
    request.table = tableOf(shown.kind);
    request.survivorId = ids[std::size_t(choices->survivor())];
    for (qint32 id : ids)
        if (id != request.survivorId)
            request.mergedIds.push_back(id);
    request.survivorValues = choices->survivorValues();
    request.combineDossierText = combinedDossierText;
    const bool merged = reportDbErrors([&] { m_history.merge(m_db, request); });
    if (!merged)
        return;
    model.removeGroup(shown.row);
    updateTabTitles();
    showSelected();
    const int count = int(request.mergedIds.size());
    m_lastAction->setText(QStringLiteral("%1 %2 merged into %3.")
                              .arg(count)
                              .arg(kindText(shown.kind, count), m_history.lastSurvivor()));
}

void CDuplicatesDialog::markNotDuplicates() {
    const Selected shown = selected();
    if (shown.row < 0 || isSearching())
        return;
    CDuplicateGroupModel& model = *m_models[indexOf(shown.kind)];
    CNotDuplicates marked = notDuplicates(shown.kind);
    marked.markGroup(model.group(shown.row).ids);
    if (!IniFile(m_settingsFile).writeString(kSection, settingsKey(shown.kind), marked.toText())) {
        prompter().message(
            QStringLiteral("The settings file %1 cannot be written, so the group would be "
                           "offered again. It stays in the list.")
                .arg(m_settingsFile),
            Prompter::Buttons::Ok, Prompter::Icon::Exclamation);
        return;
    }
    model.removeGroup(shown.row);
    updateTabTitles();
    showSelected();
}

void CDuplicatesDialog::undoLastMerge() {
    if (!m_history.canUndo() || isSearching())
        return;
    const QString merge = m_history.lastMergeText();
    if (!m_history.undoAndReport(m_db))
        return;
    search();
    m_lastAction->setText(QStringLiteral("The merge of %1 was undone.").arg(merge));
}

CNotDuplicates CDuplicatesDialog::notDuplicates(PartyKind kind) const {
    return CNotDuplicates::fromText(
        IniFile(m_settingsFile).readString(kSection, settingsKey(kind), {}, INT_MAX));
}

void CDuplicatesDialog::updateButtons() {
    const bool searching = isSearching();
    const bool chosen = !searching && selected().row >= 0 && m_grid->choices() != nullptr;
    m_merge->setEnabled(chosen);
    m_notDuplicates->setEnabled(!searching && selected().row >= 0);
    m_findAgain->setEnabled(!searching);
    m_undo->setEnabled(!searching && m_history.canUndo());
    m_undo->setToolTip(m_history.canUndo()
                           ? QStringLiteral("Undo the merge of %1").arg(m_history.lastMergeText())
                           : QString());
}

void CDuplicatesDialog::updateTabTitles() {
    m_tabs->setTabText(0, QStringLiteral("Persons (%1)").arg(m_models[0]->rowCount()));
    m_tabs->setTabText(1, QStringLiteral("Companies (%1)").arg(m_models[1]->rowCount()));
}

}  // namespace duplicates
