#include "app/AboutDialog.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QIcon>
#include <QLabel>
#include <QSpacerItem>
#include <QVBoxLayout>

#include "platform/CommandIcon.h"

CAboutDialog::CAboutDialog(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("About Tarvex"));
    auto* picture = new QLabel(this);
    picture->setPixmap(namedIcon(QStringLiteral("tarvex")).pixmap(48, 48));
    auto* version = new QLabel(QStringLiteral("Tarvex Version 1.2"), this);
    version->setObjectName(QStringLiteral("version"));
    auto* product = new QLabel(QStringLiteral("Contacts File"), this);
    auto* texts = new QVBoxLayout;
    texts->addWidget(version);
    texts->addWidget(product);
    auto* top = new QHBoxLayout;
    top->addWidget(picture, 0, Qt::AlignTop);
    top->addLayout(texts, 1);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(buttons);
    // Room for the whole caption beside the title bar's icon and buttons, which window
    // managers would otherwise cut to fit a window as narrow as its text.
    const int captionRoom = fontMetrics().horizontalAdvance(windowTitle()) * 3 / 2 + 160;
    layout->addItem(new QSpacerItem(captionRoom, 0, QSizePolicy::Fixed, QSizePolicy::Fixed));
    layout->setSizeConstraint(QLayout::SetFixedSize);
}
