#include "sync/CardText.h"

#include <QHash>
#include <QList>
#include <algorithm>

#include "exchange/VCardReader.h"

namespace {

using Kind = CExchangeRecord::Kind;

// One logical line of a card: as written (folded, with its line ends) and unfolded.
struct Line {
    QByteArray raw;
    QByteArray name;  // upper case, without a group prefix
    QByteArray value;
};

QList<Line> linesOf(const QByteArray& card) {
    QList<Line> lines;
    qsizetype start = 0;
    while (start < card.size()) {
        qsizetype end = card.indexOf('\n', start);
        end = end < 0 ? card.size() : end + 1;
        const QByteArray piece = card.mid(start, end - start);
        start = end;
        if (!lines.isEmpty() && (piece.startsWith(' ') || piece.startsWith('\t'))) {
            lines.last().raw += piece;
            continue;
        }
        lines.append({piece, {}, {}});
    }
    for (Line& line : lines) {
        QByteArray unfolded = line.raw;
        unfolded.replace("\r\n ", "").replace("\r\n\t", "").replace("\n ", "").replace("\n\t", "");
        unfolded = unfolded.trimmed();
        const qsizetype colon = unfolded.indexOf(':');
        QByteArray name = (colon < 0 ? unfolded : unfolded.left(colon)).toUpper();
        if (const qsizetype semicolon = name.indexOf(';'); semicolon >= 0)
            name.truncate(semicolon);
        if (const qsizetype dot = name.lastIndexOf('.'); dot >= 0)
            name = name.mid(dot + 1);
        line.name = name.trimmed();
        line.value = colon < 0 ? QByteArray() : unfolded.mid(colon + 1);
    }
    return lines;
}

QByteArray joined(const QList<Line>& lines, const QSet<qsizetype>& without = {}) {
    QByteArray text;
    for (qsizetype i = 0; i < lines.size(); ++i)
        if (!without.contains(i)) {
            text += lines[i].raw;
            if (!text.endsWith('\n'))
                text += "\r\n";
        }
    return text;
}

// Lines that name no column: the card's frame, its kind and the writer's bookkeeping.
bool carriesNoColumn(const QByteArray& name) {
    return name == "BEGIN" || name == "END" || name == "VERSION" || name == "UID" ||
           name == "KIND" || name == "X-ABSHOWAS" || name == "PRODID" || name == "REV";
}

// The lines removed together when a line goes: the display name goes with the name and
// the firm, which it repeats.
QSet<qsizetype> groupOf(const QList<Line>& lines, qsizetype index) {
    QSet<qsizetype> group{index};
    if (lines[index].name == "N" || lines[index].name == "ORG")
        for (qsizetype i = 0; i < lines.size(); ++i)
            if (lines[i].name == "FN")
                group.insert(i);
    return group;
}

// The columns each line carries: those whose value changes when the line is left out.
// The description is carried by the notes alone; what else lands there (a birthday, a
// photo) is no column of its own.
QList<QSet<QString>> columnsOfLines(const QList<Line>& lines) {
    const CExchangeRecord whole = cardtext::recordOf(joined(lines));
    QList<QSet<QString>> owned(lines.size());
    const bool named = std::any_of(lines.cbegin(), lines.cend(), [](const Line& line) {
        return line.name == "N" || line.name == "ORG";
    });
    for (qsizetype i = 0; i < lines.size(); ++i) {
        // A display name beside a name or a firm goes with them (see groupOf).
        if (carriesNoColumn(lines[i].name) || (named && lines[i].name == "FN"))
            continue;
        const QSet<qsizetype> group = groupOf(lines, i);
        QByteArray text = joined(lines, group);
        // A card left without any name would not be read at all, and one left without its
        // firm's name may read as a person: a stand-in name keeps it what it was.
        if (std::any_of(group.cbegin(), group.cend(), [&lines](qsizetype j) {
                return lines[j].name == "FN" || lines[j].name == "N" || lines[j].name == "ORG";
            })) {
            const qsizetype end = text.lastIndexOf("END:");
            text.insert(end < 0 ? text.size() : end, whole.kind == Kind::Firm
                                                         ? "FN:\x01\r\nX-ABSHOWAS:COMPANY\r\n"
                                                         : "FN:\x01\r\n");
        }
        const CExchangeRecord without = cardtext::recordOf(text);
        if (without.kind != whole.kind)
            continue;
        QSet<QString> columns;
        for (const auto* values : {&whole.values, &without.values})
            for (auto value = values->cbegin(); value != values->cend(); ++value)
                if (value.key() != QLatin1String("description") &&
                    whole.value(value.key()) != without.value(value.key()))
                    columns.insert(value.key());
        if (lines[i].name == "NOTE")
            columns.insert(QStringLiteral("description"));
        owned[i] = columns;
    }
    return owned;
}

// The text that a card's properties other than its notes add to the description.
QString descriptionBesideNotes(const QList<Line>& lines) {
    QSet<qsizetype> notes;
    for (qsizetype i = 0; i < lines.size(); ++i)
        if (lines[i].name == "NOTE")
            notes.insert(i);
    return cardtext::recordOf(joined(lines, notes)).value(QStringLiteral("description"));
}

qsizetype endOfCard(const QList<Line>& lines) {
    for (qsizetype i = 0; i < lines.size(); ++i)
        if (lines[i].name == "END")
            return i;
    return lines.size();
}

// The structured name of `fresh` with the middle name and suffix of `kept`, which have no
// column of their own.
QByteArray nameKeeping(const QByteArray& fresh, const QByteArray& kept) {
    const qsizetype colon = fresh.indexOf(':');
    QList<QByteArray> parts = fresh.mid(colon + 1).trimmed().split(';');
    const qsizetype keptColon = kept.indexOf(':');
    QList<QByteArray> keptParts = kept.mid(keptColon + 1).split(';');
    while (parts.size() < 5)
        parts << QByteArray();
    parts[2] = keptParts.value(2);
    parts[4] = keptParts.value(4);
    return fresh.left(colon + 1) + parts.join(';') + "\r\n";
}

}  // namespace

namespace cardtext {

CExchangeRecord recordOf(const QByteArray& card) {
    const CReadResult read = readVCards(card);
    return read.records.isEmpty() ? CExchangeRecord{} : read.records.first();
}

QString uidOf(const QByteArray& card) {
    for (const Line& line : linesOf(card))
        if (line.name == "UID")
            return QString::fromUtf8(line.value).trimmed();
    return {};
}

VCardVersion versionOf(const QByteArray& card) {
    for (const Line& line : linesOf(card))
        if (line.name == "VERSION")
            return line.value.trimmed().startsWith('4') ? VCardVersion::V4 : VCardVersion::V3;
    return VCardVersion::V3;
}

QByteArray newCard(const CExchangeRecord& record, VCardVersion version, const QString& uid) {
    QByteArray card = vCardOf(record, version);
    const qsizetype afterVersion = card.indexOf('\n', card.indexOf("VERSION:")) + 1;
    card.insert(afterVersion, "UID:" + uid.toUtf8() + "\r\n");
    return card;
}

QByteArray patched(const QByteArray& card, const CExchangeRecord& record,
                   const QSet<QString>& columns) {
    QList<Line> lines = linesOf(card);
    if (columns.isEmpty())
        return card;
    CExchangeRecord fresh = record;
    // The notes get the description without what the card's other properties add to it,
    // so that reading the card back gives the description once.
    const QString besides = descriptionBesideNotes(lines);
    QString description = record.value(QStringLiteral("description"));
    if (!besides.isEmpty()) {
        if (description == besides)
            description.clear();
        else if (description.endsWith(u'\n' + besides))
            description.chop(besides.size() + 1);
    }
    fresh.values.insert(QStringLiteral("description"), description);
    const QList<Line> freshLines = linesOf(vCardOf(fresh, versionOf(card)));

    // The lines that carry a changed column go, and so do the lines of the same property
    // that carry any column a new line carries (the name of a card that had no title
    // carries no title, but the new name replaces it all the same).
    const QList<QSet<QString>> owned = columnsOfLines(lines);
    const QList<QSet<QString>> freshOwned = columnsOfLines(freshLines);
    QList<qsizetype> adding;
    for (qsizetype i = 0; i < freshLines.size(); ++i)
        if (freshOwned[i].intersects(columns))
            adding << i;
    QSet<qsizetype> dropped;
    QByteArray keptName;
    for (qsizetype j = 0; j < lines.size(); ++j) {
        bool goes = owned[j].intersects(columns);
        for (qsizetype i : adding)
            goes =
                goes || (freshLines[i].name == lines[j].name && freshOwned[i].intersects(owned[j]));
        if (!goes)
            continue;
        dropped.unite(groupOf(lines, j));
        if (lines[j].name == "N")
            keptName = lines[j].value;
    }
    bool displayNameDropped = false;
    for (qsizetype i : dropped)
        displayNameDropped = displayNameDropped || lines[i].name == "FN";

    // The new lines by property, each put where the first line of that property it
    // replaces stood: the first of several phones of a kind is the one read into a column.
    QList<QByteArray> names;
    QHash<QByteArray, QByteArray> added;
    for (qsizetype i = 0; i < freshLines.size(); ++i) {
        const Line& line = freshLines[i];
        QByteArray text;
        if (adding.contains(i))
            text = line.name == "N" && !keptName.isEmpty()
                       ? nameKeeping("N:" + line.value, "N:" + keptName)
                       : line.raw;
        else if (line.name == "FN" && displayNameDropped)
            text = line.raw;
        if (text.isEmpty())
            continue;
        if (!added.contains(line.name))
            names << line.name;
        added[line.name] += text;
    }
    for (qsizetype i = 0; i < lines.size(); ++i)
        if (lines[i].name == "REV")
            dropped.insert(i);
    const qsizetype end = endOfCard(lines);
    QByteArray text;
    for (qsizetype i = 0; i < end; ++i) {
        if (!dropped.contains(i)) {
            text += joined({lines[i]});
        } else if (const auto found = added.find(lines[i].name); found != added.end()) {
            text += *found;
            added.erase(found);
        }
    }
    for (const QByteArray& name : names)
        text += added.value(name);
    return text + joined(lines.mid(end));
}

}  // namespace cardtext
