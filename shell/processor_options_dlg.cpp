#include "shell/processor_options_dlg.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "run/address_text.h"
#include "shell/modal_runner.h"

namespace zorva {

std::optional<uint16_t> ParseAddress(const QString& text) {
  // Qt's blanks (Unicode spaces too) go here; what is left must be ASCII digits.
  return ParseDecimalAddress(text.trimmed().toStdString());
}

CProcessorOptionsDlg::CProcessorOptionsDlg(ModalRunner& modals, QWidget* parent)
    : QDialog(parent), modals_(modals) {
  setWindowTitle(tr("Advanced processor options"));
  setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                 Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);

  auto* runPoints = new QGroupBox(tr("Run Points"), this);
  auto* grid = new QGridLayout(runPoints);
  auto* startLabel = new QLabel(tr("Start address"), runPoints);
  auto* endLabel = new QLabel(tr("End address"), runPoints);
  startEdit_ = new QLineEdit(runPoints);
  endEdit_ = new QLineEdit(runPoints);
  startEdit_->setObjectName(QStringLiteral("startAddress"));
  endEdit_->setObjectName(QStringLiteral("endAddress"));
  for (QLabel* label : {startLabel, endLabel})
    label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  grid->addWidget(startLabel, 0, 0);
  grid->addWidget(startEdit_, 0, 1);
  grid->addWidget(endLabel, 1, 0);
  grid->addWidget(endEdit_, 1, 1);

  auto* controls = new QGroupBox(tr("Controls"), this);
  auto* controlsLayout = new QVBoxLayout(controls);
  showPcSp_ = new QCheckBox(tr("Show PC and SP"), controls);
  showPcSp_->setEnabled(false);
  controlsLayout->addWidget(showPcSp_);

  ok_ = new QPushButton(tr("OK"), this);
  cancel_ = new QPushButton(tr("Cancel"), this);
  ok_->setDefault(true);
  connect(ok_, &QPushButton::clicked, this, &CProcessorOptionsDlg::accept);
  connect(cancel_, &QPushButton::clicked, this, &QDialog::reject);

  auto* left = new QVBoxLayout;
  left->addWidget(runPoints);
  left->addWidget(controls);
  auto* buttons = new QVBoxLayout;
  buttons->addWidget(ok_);
  buttons->addWidget(cancel_);
  buttons->addStretch();
  auto* layout = new QHBoxLayout(this);
  layout->setSizeConstraint(QLayout::SetFixedSize);
  layout->addLayout(left);
  layout->addLayout(buttons);

  // Tab goes from the buttons to the fields, top to bottom.
  setTabOrder(ok_, cancel_);
  setTabOrder(cancel_, startEdit_);
  setTabOrder(startEdit_, endEdit_);
  setTabOrder(endEdit_, showPcSp_);
  ok_->setFocus();

  SetRunPoints(points_);
}

void CProcessorOptionsDlg::SetRunPoints(const RunPoints& points) {
  points_ = points;
  startEdit_->setText(QString::number(points.start));
  endEdit_->setText(QString::number(points.end));
  showPcSp_->setChecked(points.showPcSp);
}

std::optional<uint16_t> CProcessorOptionsDlg::Validate(QLineEdit* field) {
  if (const auto address = ParseAddress(field->text())) return address;
  RunMessageBox(modals_, this, tr("Please enter an unsigned number between 0 and 65535."),
                QMessageBox::Warning);
  field->setFocus();
  field->selectAll();
  return std::nullopt;
}

void CProcessorOptionsDlg::accept() {
  // Fields are read back end address first: with both wrong, the message and
  // the focus are the end address's.
  const auto end = Validate(endEdit_);
  if (!end) return;
  const auto start = Validate(startEdit_);
  if (!start) return;
  points_ = RunPoints{.start = *start, .end = *end, .showPcSp = showPcSp_->isChecked()};
  QDialog::accept();
}

}  // namespace zorva
