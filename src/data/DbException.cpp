#include "data/DbException.h"

CDbException::CDbException(int code, const QString& description, const QString& helpContext)
    : std::runtime_error(description.toStdString()),
      m_code(code),
      m_description(description),
      m_helpContext(helpContext) {}

CDbException CDbException::engineFailure(qint32 statusCode) {
    CDbException e(0, QStringLiteral("The database engine could not be started."));
    e.m_hasErrorInfo = false;
    e.m_statusCode = statusCode;
    return e;
}
