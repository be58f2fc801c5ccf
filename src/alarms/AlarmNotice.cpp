#include "alarms/AlarmNotice.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "alarms/AlarmSound.h"
#include "alarms/TakeDueAlarm.h"
#include "data/Connection.h"
#include "data/Database.h"
#include "data/ErrorReport.h"
#include "data/RecordLocator.h"
#include "platform/CommandIds.h"
#include "platform/FrameServices.h"
#include "platform/OpenWindowRegistry.h"

namespace {

enum Control { Moment = 1100, Company = 1018, Person = 1017, Subject = 1098, Comment = 1021 };

}  // namespace

CAlarmNotice::CAlarmNotice(qint32 alarmId, QWidget* owner) : QDialog(owner), m_id(alarmId) {
    setAttribute(Qt::WA_DeleteOnClose);
    setModal(false);
    setWindowTitle(QStringLiteral("Alarm"));
    setObjectName(QStringLiteral("AlarmNotice"));
    auto* layout = new QVBoxLayout(this);
    auto* form = new QFormLayout;
    layout->addLayout(form);
    const std::pair<int, const char*> fields[] = {{Moment, "&Date/Time"},
                                                  {Company, "Company"},
                                                  {Person, "Contact person"},
                                                  {Subject, "Alarm subject"},
                                                  {Comment, "Comment"}};
    for (const auto& [id, label] : fields) {
        auto* edit = new QLineEdit(this);
        edit->setObjectName(QStringLiteral("text%1").arg(id));
        edit->setReadOnly(true);
        edit->setMinimumWidth(320);
        form->addRow(QString::fromLatin1(label), edit);
        m_texts.insert(id, edit);
    }
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    buttons->button(QDialogButtonBox::Ok)->setText(QStringLiteral("&OK"));
    buttons->button(QDialogButtonBox::Ok)->setDefault(true);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::close);
    layout->addWidget(buttons);
    m_sound = new CAlarmSound(this);
}

CAlarmNotice::~CAlarmNotice() {
    if (CFrameServices* main = frameServices())
        main->AlarmNoticeClosed();
}

QString CAlarmNotice::text(int controlId) const {
    const QLineEdit* edit = m_texts.value(controlId, nullptr);
    return edit ? edit->text() : QString();
}

bool CAlarmNotice::Init() {
    // An import holds its transaction open while its progress runs the event loop: the
    // advance written now would go with the import's rollback.
    if (CWriteGate& gate = sharedDatabase().writeGate(); gate.isHeld()) {
        gate.whenFree(this, [this] { Init(); });
        return true;
    }
    CFrameServices* main = frameServices();
    if (main)
        main->AlarmNoticeOpened();
    bool gone = false;
    reportDbErrors([&] {
        const std::optional<TakenAlarm> taken = TakeDueAlarm(sharedDatabase(), m_id);
        if (!taken) {
            gone = true;
            return;
        }
        m_sound->play(userOptions().soundFile);
        m_texts[Moment]->setText(taken->moment);
        m_texts[Company]->setText(taken->firm);
        m_texts[Person]->setText(taken->person);
        m_texts[Subject]->setText(taken->subject);
        m_texts[Comment]->setText(taken->comment);
    });
    if (gone) {
        close();
        return false;
    }
    reportDbErrors([this] { showInAlarmForm(); });
    show();
    raise();
    activateWindow();
    return true;
}

void CAlarmNotice::showInAlarmForm() {
    CView* form = openwindows::find(QStringLiteral("Alarm"));
    if (CFrameServices* main = frameServices())
        form = main->OpenOrActivate(QStringLiteral("Alarm"));
    if (!form || !form->GetDocument())
        return;
    CRecordLocator locator(m_id);
    form->GetDocument()->UpdateAllViews(nullptr, cmd::ShowRecord, &locator);
}
