#include "platform/PageSetup.h"

#include <QPageSize>
#include <QPrinter>
#include <QStringList>
#include <array>
#include <optional>

#include "platform/IniFile.h"

namespace {

const QString kSection = QStringLiteral("print");
const QString kWidth = QStringLiteral("paperwidth");
const QString kHeight = QStringLiteral("paperheight");
const QString kOrientation = QStringLiteral("orientation");
const QString kMargins = QStringLiteral("margins");
const QString kLandscape = QStringLiteral("landscape");
const QString kPortrait = QStringLiteral("portrait");

// A positive number of millimetres, or nothing.
std::optional<double> millimetres(const QString& text) {
    bool ok = false;
    const double value = text.trimmed().toDouble(&ok);
    return ok && value >= 0 && value < 10000 ? std::optional<double>(value) : std::nullopt;
}

}  // namespace

bool CPageSetup::applyTo(QPrinter& printer) const {
    if (!isChosen())
        return false;
    printer.setPageLayout(m_layout);
    return true;
}

void CPageSetup::load(const IniFile& file) {
    m_layout = QPageLayout();
    const std::optional<double> width = millimetres(file.readString(kSection, kWidth));
    const std::optional<double> height = millimetres(file.readString(kSection, kHeight));
    const QString orientation = file.readString(kSection, kOrientation).toLower();
    const QStringList margins = file.readString(kSection, kMargins).split(u',');
    if (!width || !height || *width <= 0 || *height <= 0 || margins.size() != 4 ||
        (orientation != kLandscape && orientation != kPortrait))
        return;
    std::array<double, 4> edges{};
    for (std::size_t i = 0; i < edges.size(); ++i) {
        const std::optional<double> edge = millimetres(margins[qsizetype(i)]);
        if (!edge)
            return;
        edges[i] = *edge;
    }
    // A standard paper is found again by its size, so that it keeps its name.
    const QPageSize size(QSizeF(*width, *height), QPageSize::Millimeter, QString(),
                         QPageSize::FuzzyMatch);
    QPageLayout layout(size,
                       orientation == kLandscape ? QPageLayout::Landscape : QPageLayout::Portrait,
                       QMarginsF(), QPageLayout::Millimeter);
    // Margins wider than the paper would leave nothing to print on.
    if (!layout.setMargins(QMarginsF(edges[0], edges[1], edges[2], edges[3])) ||
        layout.paintRect(QPageLayout::Millimeter).isEmpty())
        return;
    m_layout = layout;
}

bool CPageSetup::save(IniFile& file) const {
    if (!isChosen())
        return true;
    const QSizeF paper = m_layout.pageSize().size(QPageSize::Millimeter);
    const QMarginsF margins = m_layout.margins(QPageLayout::Millimeter);
    const QStringList edges{QString::number(margins.left()), QString::number(margins.top()),
                            QString::number(margins.right()), QString::number(margins.bottom())};
    return file.writeStrings(
        kSection,
        {{kWidth, QString::number(paper.width())},
         {kHeight, QString::number(paper.height())},
         {kOrientation, m_layout.orientation() == QPageLayout::Landscape ? kLandscape : kPortrait},
         {kMargins, edges.join(u',')}});
}

CPageSetup& pageSetup() {
    static CPageSetup object;
    return object;
}
