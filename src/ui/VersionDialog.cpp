#include "ui/VersionDialog.h"

#include <QFrame>
#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <QScreen>

#include "ui/Assets.h"
#include "widgets/WindowLook.h"

namespace brellow {

TDlgVersion::TDlgVersion(QWidget* parent) : QDialog(parent)
{
    setWindowTitle(QStringLiteral("バージョン情報"));
    setFont(JapaneseUiFontPoints(9));
    setFixedSize(273, 195);
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());

    Panel1 = new QFrame(this);
    Panel1->setGeometry(7, 7, 258, 148);
    Panel1->setFrameStyle(QFrame::Panel | QFrame::Raised);

    ProgramIcon = new QLabel(Panel1);
    ProgramIcon->setGeometry(7, 7, 60, 53);
    ProgramIcon->setScaledContents(true);
    ProgramIcon->setPixmap(MakerLogo());

    ProductName = new QLabel(QStringLiteral("ブレロウⅡ"), Panel1);
    ProductName->move(81, 15);

    Version = new QLabel(QStringLiteral("バージョン　Ver1.0"), Panel1);
    Version->move(81, 37);

    Copyright = new QLabel(QStringLiteral("Copyright © 2026 Brellow Works"), Panel1);
    Copyright->move(7, 73);

    Comments = new QLabel(QStringLiteral("(https://brellow.example.org/)"), Panel1);
    Comments->setWordWrap(true);
    Comments->setGeometry(7, 95, 244, 40);
    Comments->setAlignment(Qt::AlignLeft | Qt::AlignTop);

    OKButton = new QPushButton(QStringLiteral("OK"), this);
    OKButton->setGeometry(102, 165, 69, 23);
    OKButton->setDefault(true);
    connect(OKButton, &QPushButton::clicked, this, &QDialog::accept);
    FitButtonsToText(*this);
}

}  // namespace brellow
