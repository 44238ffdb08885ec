#include "shell/about_dlg.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>
#include <QVBoxLayout>

namespace zorva {

CAboutDlg::CAboutDlg(QWidget* parent) : QDialog(parent) {
  setWindowTitle(tr("About Zorva"));
  setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                 Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);

  auto* layout = new QVBoxLayout(this);
  layout->setSizeConstraint(QLayout::SetFixedSize);
  for (const QString& line :
       {tr("Zorva version 1.0"), tr("A Mattel Aquarius emulator by the Zorva developers"),
        tr("Character set: our own, drawn for Zorva")}) {
    auto* label = new QLabel(line, this);
    label->setAlignment(Qt::AlignHCenter);
    label->setTextFormat(Qt::PlainText);
    layout->addWidget(label);
  }

  auto* bottom = new QHBoxLayout;
  auto* picture = new QLabel(this);
  picture->setObjectName(QStringLiteral("picture"));
  picture->setPixmap(QPixmap(QStringLiteral(":/pictures/about.png")));
  bottom->addWidget(picture, 0, Qt::AlignLeft | Qt::AlignTop);
  bottom->addStretch();
  auto* ok = new QPushButton(tr("OK"), this);
  ok->setDefault(true);
  connect(ok, &QPushButton::clicked, this, &QDialog::accept);
  bottom->addWidget(ok, 0, Qt::AlignBottom);
  layout->addLayout(bottom);
  ok->setFocus();
}

}  // namespace zorva
