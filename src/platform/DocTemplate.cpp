#include "platform/DocTemplate.h"

#include <QStringList>

QString CDocTemplate::docName() const {
    const QStringList fields = docString.split(QLatin1Char('\n'));
    return fields.size() > 1 ? fields.at(1).trimmed() : QString();
}

void CDocTemplateRegistry::add(CDocTemplate docTemplate) {
    m_templates.push_back(std::move(docTemplate));
}

const CDocTemplate* CDocTemplateRegistry::find(const QString& kind) const {
    const QString name = kind.trimmed();
    if (name.isEmpty())
        return m_templates.empty() ? nullptr : &m_templates.front();
    for (const CDocTemplate& t : m_templates) {
        if (t.docName().compare(name, Qt::CaseInsensitive) == 0)
            return &t;
    }
    return nullptr;
}
