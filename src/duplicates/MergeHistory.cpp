#include "duplicates/MergeHistory.h"

#include "data/ErrorReport.h"
#include "platform/Prompter.h"

namespace duplicates {

void CMergeHistory::merge(CDatabase& db, const MergeRequest& request) {
    m_last = mergeRecords(db, request);
    emit changed();
}

QString CMergeHistory::lastMergeText() const {
    if (!m_last)
        return {};
    return QStringLiteral("%1 and %2 more").arg(m_last->survivorName).arg(m_last->mergedCount);
}

CMergeHistory::UndoResult CMergeHistory::undo(CDatabase& db) {
    if (!m_last)
        return UndoResult::Undone;
    if (!undoMerge(db, *m_last))
        return UndoResult::ChangedSince;
    m_last.reset();
    emit changed();
    return UndoResult::Undone;
}

bool CMergeHistory::undoAndReport(CDatabase& db) {
    const QString merge = lastMergeText();
    UndoResult result = UndoResult::Undone;
    if (!reportDbErrors([&] { result = undo(db); }))
        return false;
    if (result == UndoResult::ChangedSince) {
        prompter().message(QStringLiteral("The merge of %1 cannot be undone: records it changed "
                                          "have been changed since.")
                               .arg(merge),
                           Prompter::Buttons::Ok, Prompter::Icon::Exclamation);
        return false;
    }
    return true;
}

}  // namespace duplicates
