#pragma once

#include <QString>
#include <stdexcept>

// A failure of the database engine: the engine's error code and its description.
// Thrown by every database operation; shown to the user by the one error report.
class CDbException : public std::runtime_error {
public:
    CDbException(int code, const QString& description, const QString& helpContext = {});

    // True when the exception carries error information (code and description);
    // false for a failure of the engine itself (then only the status code is known).
    bool hasErrorInfo() const { return m_hasErrorInfo; }
    int code() const { return m_code; }
    const QString& description() const { return m_description; }
    // Anchor of the page of the bundled help that explains this kind of error.
    const QString& helpContext() const { return m_helpContext; }
    // 32-bit status code of an engine failure without error information.
    qint32 statusCode() const { return m_statusCode; }

    static CDbException engineFailure(qint32 statusCode);

private:
    int m_code = 0;
    QString m_description;
    QString m_helpContext;
    bool m_hasErrorInfo = true;
    qint32 m_statusCode = 0;
};
