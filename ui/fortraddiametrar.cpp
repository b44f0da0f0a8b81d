#include "ui/fortraddiametrar.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>

#include "calc/parameters.h"
#include "standfile/standfile.h"
#include "ui/messages.h"
#include "ui_fortraddiametrar.h"

namespace lodra {

forTradDiametrar::forTradDiametrar(const WindowLook& look, QWidget* parent)
    : RunWindow(parent), ui(std::make_unique<Ui::forTradDiametrar>()) {
    look.setUp(*ui, this);
    txtDiam_ = {ui->txtDiam_0, ui->txtDiam_1, ui->txtDiam_2, ui->txtDiam_3, ui->txtDiam_4,
                ui->txtDiam_5, ui->txtDiam_6, ui->txtDiam_7, ui->txtDiam_8, ui->txtDiam_9};
    ckbAvverkas_ = {ui->ckbAvverkas_0, ui->ckbAvverkas_1, ui->ckbAvverkas_2, ui->ckbAvverkas_3,
                    ui->ckbAvverkas_4, ui->ckbAvverkas_5, ui->ckbAvverkas_6, ui->ckbAvverkas_7,
                    ui->ckbAvverkas_8, ui->ckbAvverkas_9};
    // A screen reader announces each entry by its column's caption and its row.
    for (int i = 0; i < kRows; ++i) {
        const QString row = QStringLiteral(", träd %1").arg(i + 1);
        txtDiam_[i]->setAccessibleName(ui->Label2->text() + row);
        ckbAvverkas_[i]->setAccessibleName(ui->Label3->text() + row);
        txtDiam_[i]->setToolTip(QString::fromUtf8(parameterrules::treeDiameter.data(),
                                                  parameterrules::treeDiameter.size()));
        ckbAvverkas_[i]->setToolTip(QString::fromUtf8(parameterrules::treeFelled.data(),
                                                      parameterrules::treeFelled.size()));
    }
    // A mark set replaces the cell the stand file held.
    for (int i = 0; i < kRows; ++i) {
        connect(ckbAvverkas_[i], &QCheckBox::stateChanged, this, [this, i](int state) {
            if (state != Qt::PartiallyChecked) {
                ckbAvverkas_[i]->setTristate(false);
                keptMarks_[i].reset();
            }
        });
    }
    hideWith(ui->cmdStang);
    ui->cmdStang->setFocus();
}

forTradDiametrar::~forTradDiametrar() = default;

std::array<TreeRow, forTradDiametrar::kRows> forTradDiametrar::rows() const {
    std::array<TreeRow, kRows> rows;
    for (int i = 0; i < kRows; ++i) {
        rows[i].text = txtDiam_[i]->text().toStdString();
        rows[i].avverkas = ckbAvverkas_[i]->isChecked();
    }
    return rows;
}

void forTradDiametrar::setRows(const std::array<TreeRow, kRows>& rows, const MarkCells& kept) {
    for (int i = 0; i < kRows; ++i) {
        txtDiam_[i]->setText(QString::fromStdString(rows[i].text));
        ckbAvverkas_[i]->setCheckState(rows[i].avverkas ? Qt::Checked : Qt::Unchecked);
        if (kept[i] && markRefusal(*kept[i], i + 1)) {
            ckbAvverkas_[i]->setCheckState(Qt::PartiallyChecked);
        }
    }
    // After the marks, whose changes drop what is kept.
    keptMarks_ = kept;
}

}  // namespace lodra
