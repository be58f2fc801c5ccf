#include "duplicates/MatchReason.h"

#include <QStringList>

namespace duplicates {

QString reasonText(MatchReason reason) {
    switch (reason) {
        case MatchReason::SameName:
            return QStringLiteral("same name");
        case MatchReason::SwappedNames:
            return QStringLiteral("first and last name swapped");
        case MatchReason::SameEmail:
            return QStringLiteral("same e-mail");
        case MatchReason::SamePhone:
            return QStringLiteral("same phone");
    }
    return {};
}

QString reasonsText(MatchReasons reasons) {
    QStringList texts;
    for (int i = 0; i < kMatchReasons; ++i)
        if (reasons & bitOf(MatchReason(i)))
            texts << reasonText(MatchReason(i));
    return texts.join(QStringLiteral(", "));
}

MatchReason strongestReason(MatchReasons reasons) {
    for (int i = 0; i < kMatchReasons; ++i)
        if (reasons & bitOf(MatchReason(i)))
            return MatchReason(i);
    return MatchReason::SameName;
}

}  // namespace duplicates
