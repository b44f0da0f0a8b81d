#pragma once

// The tree diameter window: ten sample trees, each a diameter and a mark that the tree is
// felled at once. It has no logic of its own; the calculation reads its rows.

#include <array>
#include <memory>
#include <optional>
#include <string>

#include "calc/inputrecord.h"
#include "ui/runwindow.h"
#include "ui/windowlook.h"

class QCheckBox;
class QLineEdit;

namespace Ui {
class forTradDiametrar;
}

namespace lodra {

class forTradDiametrar : public RunWindow {
    Q_OBJECT

  public:
    static constexpr int kRows = static_cast<int>(kTreeRows);

    explicit forTradDiametrar(const WindowLook& look, QWidget* parent = nullptr);
    ~forTradDiametrar() override;

    // The ten rows as they stand, row 1 first.
    std::array<TreeRow, kRows> rows() const;
    // kept: the avv cells as a stand file held them, kept until the user sets the mark; a
    // cell that is no mark shows as neither ticked nor not.
    using MarkCells = std::array<std::optional<std::string>, kRows>;
    void setRows(const std::array<TreeRow, kRows>& rows, const MarkCells& kept = {});
    // The avv cells still as the stand file held them.
    const MarkCells& keptMarks() const { return keptMarks_; }

    QLineEdit* txtDiam(int index) const { return txtDiam_.at(index); }
    QCheckBox* ckbAvverkas(int index) const { return ckbAvverkas_.at(index); }

  private:
    std::unique_ptr<Ui::forTradDiametrar> ui;
    std::array<QLineEdit*, kRows> txtDiam_{};
    std::array<QCheckBox*, kRows> ckbAvverkas_{};
    MarkCells keptMarks_;
};

}  // namespace lodra
