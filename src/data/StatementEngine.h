#pragma once

#include <QByteArrayView>
#include <QString>
#include <QVariant>

// One prepared statement on one engine: the contacts file's (SQLite) or the team's server's.
// CStatement holds one and is what the data layer uses; see Statement.h for the meaning of
// each call. Every failure throws CDbException.
class StatementEngine {
public:
    virtual ~StatementEngine() = default;

    virtual void bind(int index, const QVariant& value) = 0;
    // True on a row, false when the statement has run to its end.
    virtual bool step() = 0;
    virtual void reset() = 0;

    virtual int columnCount() const = 0;
    virtual QString columnName(int column) const = 0;
    virtual QString declaredType(int column) const = 0;
    virtual bool isNull(int column) const = 0;
    virtual qint64 int64(int column) const = 0;
    virtual QString text(int column) const = 0;
    virtual int type(int column) const = 0;
    virtual double real(int column) const = 0;
    virtual QByteArrayView bytes(int column) const = 0;
    virtual QVariant value(int column) const = 0;
};
