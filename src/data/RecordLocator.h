#pragma once

#include <QString>

#include "platform/Document.h"

// Travels with the show-record, new-record and name-return broadcasts.
class CRecordLocator : public CHintObject {
public:
    CRecordLocator() = default;
    explicit CRecordLocator(qint32 id) : m_lId(id) {}
    CRecordLocator(const QString& text1, const QString& text2, const QString& text3 = {})
        : m_strText1(text1), m_strText2(text2), m_strText3(text3) {}

    QString m_strText1;  // a whole name, or the last name of a split name
    QString m_strText2;  // the first name of a split name
    QString m_strText3;  // carried along
    qint32 m_lId = -1;   // record id to show; -1: use the texts
};
