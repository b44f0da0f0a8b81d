#pragma once

// The tree diameter window: ten sample trees, each a diameter and a mark that the tree is
// felled at once. It has no logic of its own; the calculation reads its rows.

#include <QWidget>
#include <array>
#include <memory>

#include "calc/inputrecord.h"
#include "ui/windowlook.h"

class QCheckBox;
class QLineEdit;

namespace Ui {
class forTradDiametrar;
}

namespace lodra {

class forTradDiametrar : public QWidget {
    Q_OBJECT

  public:
    static constexpr int kRows = 10;

    explicit forTradDiametrar(const WindowLook& look, QWidget* parent = nullptr);
    ~forTradDiametrar() override;

    // The ten rows as they stand, row 1 first.
    std::array<TreeRow, kRows> rows() const;
    void setRows(const std::array<TreeRow, kRows>& rows);

    QLineEdit* txtDiam(int index) const { return txtDiam_.at(index); }
    QCheckBox* ckbAvverkas(int index) const { return ckbAvverkas_.at(index); }

  signals:
    // The window was closed through its frame and is about to be destroyed.
    void closedThroughFrame();

  protected:
    void closeEvent(QCloseEvent* event) override;

  private:
    void cmdStang_Click();

    std::unique_ptr<Ui::forTradDiametrar> ui;
    std::array<QLineEdit*, kRows> txtDiam_{};
    std::array<QCheckBox*, kRows> ckbAvverkas_{};
};

}  // namespace lodra
