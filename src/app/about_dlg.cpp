// The About box, laid out in dialog units like the main dialog.
#include "about_dlg.h"

#include "dialog_units.h"

#include <QIcon>
#include <QLabel>
#include <QPushButton>

CAboutDlg::CAboutDlg(QWidget *parent) : QDialog(parent)
{
    setWindowTitle("About Orvex");
    // A window does not take its parent's font by itself; the layout's sizes are drawn for it.
    if (parent != nullptr)
        setFont(parent->font());
    setFixedSize(dlu_x(300), dlu_y(62));

    auto *icon = new QLabel(this);
    icon->setGeometry(dlu_rect(14, 14, 20, 20));
    icon->setPixmap(QIcon(":/icons/orvex-32.png").pixmap(32, 32));

    auto *text = new QLabel("Orvex, versione 7.0 - rilevatore di intrusioni per una telecamera", this);
    text->setGeometry(dlu_rect(42, 20, 230, 8));

    auto *ok = new QPushButton("OK", this);
    ok->setGeometry(dlu_rect(243, 41, 50, 14));
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
}
