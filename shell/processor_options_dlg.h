// "Advanced processor options": the run points (start and end address, in
// decimal) and the "Show PC and SP" box, which is kept but cannot be changed.
//
// OK checks the end address first, then the start address; the first field
// that is not an unsigned decimal number from 0 to 65535 is reported, gets the
// focus with its text selected, and the dialog stays open.
#pragma once

#include <QDialog>
#include <QString>
#include <cstdint>
#include <optional>

#include "run/emulator.h"

class QCheckBox;
class QLineEdit;
class QPushButton;

namespace zorva {

class ModalRunner;

// The address in `text` (decimal, blanks around it allowed), or nothing.
std::optional<uint16_t> ParseAddress(const QString& text);

class CProcessorOptionsDlg final : public QDialog {
  Q_OBJECT

 public:
  // Messages about bad input go through `modals`.
  CProcessorOptionsDlg(ModalRunner& modals, QWidget* parent = nullptr);

  void SetRunPoints(const RunPoints& points);
  // What was accepted; meaningful after the dialog ended with Accepted.
  RunPoints runPoints() const { return points_; }

  QLineEdit* startEdit() const { return startEdit_; }
  QLineEdit* endEdit() const { return endEdit_; }
  QPushButton* okButton() const { return ok_; }

 public slots:
  void accept() override;

 private:
  // The field's address, or nothing after telling the user and selecting the field.
  std::optional<uint16_t> Validate(QLineEdit* field);

  ModalRunner& modals_;
  RunPoints points_;
  QLineEdit* startEdit_;
  QLineEdit* endEdit_;
  QCheckBox* showPcSp_;
  QPushButton* ok_;
  QPushButton* cancel_;
};

}  // namespace zorva
