#include "shell/about_dialog.h"

#include "base/language.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QIcon>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace quelmar::station {

CAboutDlg::CAboutDlg(const Language &language, QWidget *parent) : QDialog(parent)
{
    setWindowTitle(language.text(QStringLiteral("AboutPaneCap1"), QStringLiteral("About Quelmar")));
    auto *icon = new QLabel(this);
    icon->setPixmap(QIcon(QStringLiteral(":/icons/scopedesk.svg")).pixmap(64, 64));
    auto *texts = new QVBoxLayout;
    for (const auto &[key, fallback] :
         {std::pair{"AboutPaneCap2", "Quelmar"},
          std::pair{"AboutDescription", "Dedicated for Quelmar Microscope"},
          std::pair{"AboutVersion", "Version 6.01.0000.00"},
          std::pair{"AboutLine5", "Copyright (C) 2026 Quelmar"}}) {
        texts->addWidget(new QLabel(
            language.text(QString::fromLatin1(key), QString::fromLatin1(fallback)), this));
    }
    auto *top = new QHBoxLayout;
    top->addWidget(icon, 0, Qt::AlignTop);
    top->addLayout(texts);
    auto *ok = new QPushButton(language.text(QStringLiteral("Ok"), QStringLiteral("OK")), this);
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(ok, 0, Qt::AlignRight);
}

} // namespace quelmar::station
