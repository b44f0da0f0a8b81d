#include "ui/standchooser.h"

#include <QPushButton>

#include "base/utf8.h"
#include "ui_standchooser.h"

namespace lodra {

QString standItemText(int row, const std::string& name, bool cut) {
    QString item = QStringLiteral("Rad %1").arg(row);
    if (!name.empty()) {
        // Made visible, so that a line break or a direction override in a name cannot draw
        // another line or turn the text.
        item += QStringLiteral(" – ") + QString::fromStdString(visibleText(name));
    }
    if (cut) {
        item += QStringLiteral("…");
    }
    return item;
}

StandListModel::StandListModel(std::shared_ptr<const StandList> list, QObject* parent)
    : QAbstractListModel(parent), list_(std::move(list)) {}

int StandListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(list_->size());
}

QVariant StandListModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || role != Qt::DisplayRole) {
        return {};
    }
    const auto entry = static_cast<std::size_t>(index.row());
    return standItemText(list_->row(entry), list_->name(entry), list_->nameCut(entry));
}

StandChooser::StandChooser(std::shared_ptr<const StandList> list, QWidget* parent)
    : QDialog(parent), ui(std::make_unique<Ui::StandChooser>()) {
    ui->setupUi(this);
    ui->lblFraga->setText(
        QStringLiteral("Filen har %1 bestånd. Välj det som ska öppnas:").arg(list->size()));
    ui->lblFraga->setBuddy(ui->lstBestand);
    ui->lstBestand->setModel(new StandListModel(std::move(list), this));
    ui->lstBestand->setCurrentIndex(ui->lstBestand->model()->index(0, 0));
    ui->lstBestand->setAccessibleName(QStringLiteral("Bestånd"));
    QPushButton* whole =
        ui->knappar->addButton(QStringLiteral("&Hela registret"), QDialogButtonBox::ActionRole);
    whole->setObjectName(QStringLiteral("cmdHelaRegistret"));
    whole->setToolTip(QStringLiteral("Beräkna alla bestånd i fastighetsfönstret"));
    connect(whole, &QPushButton::clicked, this, [this] {
        whole_ = true;
        accept();
    });
    connect(ui->knappar, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(ui->knappar, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(ui->lstBestand, &QListView::activated, this, &QDialog::accept);
}

StandChooser::~StandChooser() = default;

int StandChooser::chosen() const {
    if (whole_) {
        return -1;
    }
    const QModelIndex current = ui->lstBestand->currentIndex();
    return current.isValid() ? current.row() : -1;
}

}  // namespace lodra
