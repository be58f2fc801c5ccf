#include "app/TipOfDayDialog.h"

#include <QCheckBox>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QSettings>

#include "app/AppPaths.h"
#include "app/Registry.h"
#include "platform/CommandIcon.h"
#include "platform/Prompter.h"
#include "platform/StringTable.h"

namespace {

constexpr int kNoTipsFile = 110;
constexpr int kTroubleReading = 111;

const QString kStartUp = QStringLiteral("Tip/StartUp");
const QString kFilePos = QStringLiteral("Tip/FilePos");
const QString kTimeStamp = QStringLiteral("Tip/TimeStamp");

}  // namespace

bool CTipOfDayDialog::showAtStartUp() {
    return registry().value(kStartUp, 0).toInt() == 0;
}

CTipOfDayDialog::CTipOfDayDialog(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("Tip of the day"));
    setObjectName(QStringLiteral("TipOfDayDialog"));
    auto* layout = new QGridLayout(this);
    m_bitmap = new QLabel(this);
    m_bitmap->setObjectName(QStringLiteral("bitmap1001"));
    m_bitmap->setPixmap(namedIcon(QStringLiteral("tip-bulb")).pixmap(QSize(48, 48)));
    m_bitmap->setAlignment(Qt::AlignTop | Qt::AlignHCenter);
    m_bitmap->setFixedWidth(64);
    layout->addWidget(m_bitmap, 0, 0, 2, 1);
    auto* heading = new QLabel(QStringLiteral("Did you know..."), this);
    QFont bold = heading->font();
    bold.setBold(true);
    bold.setPointSizeF(bold.pointSizeF() * 1.3);
    heading->setFont(bold);
    layout->addWidget(heading, 0, 1);
    m_text = new QLabel(QStringLiteral("Some String"), this);
    m_text->setObjectName(QStringLiteral("text1007"));
    m_text->setWordWrap(true);
    m_text->setAlignment(Qt::AlignTop | Qt::AlignLeft);
    m_text->setMinimumSize(320, 120);
    m_text->setAutoFillBackground(true);
    QPalette white = m_text->palette();
    white.setColor(QPalette::Window, Qt::white);
    white.setColor(QPalette::WindowText, Qt::black);
    m_text->setPalette(white);
    layout->addWidget(m_text, 1, 1);

    auto* row = new QHBoxLayout;
    m_startUp = new QCheckBox(QStringLiteral("&Show at startup"), this);
    m_startUp->setObjectName(QStringLiteral("check1003"));
    row->addWidget(m_startUp);
    row->addStretch();
    m_next = new QPushButton(QStringLiteral("&Next tip"), this);
    m_next->setObjectName(QStringLiteral("button1004"));
    m_next->setAutoDefault(false);
    row->addWidget(m_next);
    auto* close = new QPushButton(QStringLiteral("&Close"), this);
    close->setObjectName(QStringLiteral("button1"));
    close->setDefault(true);
    row->addWidget(close);
    layout->addLayout(row, 2, 0, 1, 2);
    connect(m_next, &QPushButton::clicked, this, &CTipOfDayDialog::NextTip);
    connect(close, &QPushButton::clicked, this, &CTipOfDayDialog::accept);

    QSettings& store = registry();
    m_startUp->setChecked(store.value(kStartUp, 0).toInt() == 0);
    qint64 position = store.value(kFilePos, 0).toLongLong();

    // The working directory's tips first; a new user without one still gets real tips.
    const QString own = workingDirectory() + QStringLiteral("tips.txt");
    initBuiltInResources();
    if (!(QFileInfo(own).isFile() && m_tips.open(own)) &&
        !m_tips.open(QString::fromLatin1(CTipsFile::kBundled))) {
        showTip(loadString(kNoTipsFile));
        m_next->setEnabled(false);
        return;
    }
    const QString stamp = m_tips.timeStamp();
    if (stamp != store.value(kTimeStamp).toString()) {
        // A new or edited tips file starts with its first tip.
        store.setValue(kTimeStamp, stamp);
        position = 0;
    }
    if (!m_tips.seek(position)) {
        messageBox(loadString(kTroubleReading));
        return;
    }
    NextTip();
}

CTipOfDayDialog::~CTipOfDayDialog() {
    // The next opening continues after the last tip shown.
    if (m_tips.isOpen())
        registry().setValue(kFilePos, m_tips.position());
}

QString CTipOfDayDialog::tipText() const {
    return m_tip;
}

void CTipOfDayDialog::NextTip() {
    if (!m_tips.isOpen())
        return;
    if (const std::optional<QString> tip = m_tips.nextTip()) {
        showTip(*tip);
    } else {
        messageBox(loadString(kTroubleReading));
    }
}

void CTipOfDayDialog::showTip(const QString& text) {
    m_tip = text;
    m_text->setText(text.trimmed());
}

void CTipOfDayDialog::accept() {
    registry().setValue(kStartUp, m_startUp->isChecked() ? 0 : 1);
    QDialog::accept();
}

void CTipOfDayDialog::paintEvent(QPaintEvent* event) {
    // One white area behind the light bulb and the tip.
    QPainter painter(this);
    const QRect text = m_text->geometry();
    const QRect bulb = m_bitmap->geometry();
    painter.fillRect(QRect(QPoint(bulb.left(), bulb.top()), text.bottomRight()), Qt::white);
    QDialog::paintEvent(event);
}
