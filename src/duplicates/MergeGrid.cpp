#include "duplicates/MergeGrid.h"

#include <QButtonGroup>
#include <QGridLayout>
#include <QLabel>
#include <QRadioButton>
#include <QVBoxLayout>

namespace duplicates {

namespace {

constexpr int kShownChars = 40;

// One line of a value, short enough to sit beside the others.
QString shortText(const QString& value) {
    if (value.isEmpty())
        return QStringLiteral("(empty)");
    QString line = value.section(u'\n', 0, 0);
    if (line.size() > kShownChars || line.size() < value.size())
        line = line.left(kShownChars) + QChar(0x2026);
    return line;
}

}  // namespace

CMergeGrid::CMergeGrid(QWidget* parent) : QWidget(parent) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
}

CMergeGrid::~CMergeGrid() = default;

void CMergeGrid::setRecords(PartyKind kind, const QStringList& names,
                            std::vector<QStringList> records) {
    m_choices = std::make_unique<CMergeChoices>(kind, std::move(records));
    build(names);
}

void CMergeGrid::clear() {
    m_choices.reset();
    build({});
}

void CMergeGrid::build(const QStringList& names) {
    delete m_content;
    m_fieldButtons.clear();
    m_content = new QWidget(this);
    layout()->addWidget(m_content);
    auto* grid = new QGridLayout(m_content);
    grid->setAlignment(Qt::AlignTop | Qt::AlignLeft);
    if (!m_choices)
        return;

    m_survivors = new QButtonGroup(m_content);
    grid->addWidget(new QLabel(QStringLiteral("Keep record:"), m_content), 0, 0);
    for (int record = 0; record < m_choices->recordCount(); ++record) {
        auto* keep = new QRadioButton(names.value(record), m_content);
        keep->setObjectName(QStringLiteral("survivor_%1").arg(record));
        m_survivors->addButton(keep, record);
        grid->addWidget(keep, 0, record + 1);
    }
    connect(m_survivors, &QButtonGroup::idClicked, this, [this](int record) {
        m_choices->setSurvivor(record);
        showChoices();
    });

    const std::vector<MergeField>& fields = m_choices->fields();
    m_fieldButtons.assign(fields.size(), nullptr);
    int row = 1;
    for (int field = 0; field < int(fields.size()); ++field) {
        bool filled = false;
        for (int record = 0; record < m_choices->recordCount(); ++record)
            filled = filled || !m_choices->valueOf(record, field).isEmpty();
        if (!filled)
            continue;
        grid->addWidget(new QLabel(fields[field].label + u':', m_content), row, 0);
        if (!m_choices->differs(field)) {
            auto* same = new QLabel(shortText(m_choices->valueOf(0, field)), m_content);
            same->setToolTip(m_choices->valueOf(0, field));
            grid->addWidget(same, row++, 1, 1, m_choices->recordCount());
            continue;
        }
        auto* buttons = new QButtonGroup(m_content);
        m_fieldButtons[field] = buttons;
        for (int record = 0; record < m_choices->recordCount(); ++record) {
            const QString& value = m_choices->valueOf(record, field);
            auto* choice = new QRadioButton(shortText(value), m_content);
            choice->setObjectName(
                QStringLiteral("choice_%1_%2").arg(fields[field].column).arg(record));
            choice->setToolTip(value);
            buttons->addButton(choice, record);
            grid->addWidget(choice, row, record + 1);
        }
        if (fields[field].multiLine) {
            auto* combine = new QRadioButton(QStringLiteral("Keep all"), m_content);
            combine->setObjectName(QStringLiteral("combine_%1").arg(fields[field].column));
            combine->setToolTip(QStringLiteral("Keep every record's text, one after the other"));
            buttons->addButton(combine, combinedButton());
            grid->addWidget(combine, row, m_choices->recordCount() + 1);
        }
        connect(buttons, &QButtonGroup::idClicked, this, [this, field](int button) {
            m_choices->choose(field,
                              button == combinedButton() ? CMergeChoices::kCombined : button);
        });
        ++row;
    }
    showChoices();
}

void CMergeGrid::showChoices() {
    if (QAbstractButton* survivor = m_survivors->button(m_choices->survivor()))
        survivor->setChecked(true);
    for (int field = 0; field < int(m_fieldButtons.size()); ++field)
        if (QButtonGroup* buttons = m_fieldButtons[field])
            if (QAbstractButton* chosen =
                    buttons->button(m_choices->choice(field) == CMergeChoices::kCombined
                                        ? combinedButton()
                                        : m_choices->choice(field)))
                chosen->setChecked(true);
}

}  // namespace duplicates
