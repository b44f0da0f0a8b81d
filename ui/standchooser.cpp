#include "ui/standchooser.h"

#include <QCoreApplication>
#include <QKeyEvent>
#include <QPushButton>
#include <algorithm>

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

namespace {

// The typed text as the filter reads it: without blanks at either end.
QString filterText(const QString& typed) {
    return typed.trimmed();
}

}  // namespace

bool standMatches(int row, const std::string& name, const QString& typed) {
    const QString text = filterText(typed);
    if (text.isEmpty()) {
        return true;
    }
    // A row is asked for by its number, with or without the word the list shows before it.
    QString compact = text;
    compact.remove(QLatin1Char(' '));
    const QString number = QString::number(row);
    if (number.startsWith(compact) ||
        (QStringLiteral("rad") + number).startsWith(compact, Qt::CaseInsensitive)) {
        return true;
    }
    return QString::fromStdString(name).contains(text, Qt::CaseInsensitive);
}

StandListModel::StandListModel(std::shared_ptr<const StandList> list, QObject* parent)
    : QAbstractListModel(parent), list_(std::move(list)) {}

int StandListModel::rowCount(const QModelIndex& parent) const {
    if (parent.isValid()) {
        return 0;
    }
    return static_cast<int>(shown_ ? shown_->size() : list_->size());
}

std::size_t StandListModel::entryAt(int row) const {
    const auto index = static_cast<std::size_t>(row);
    return shown_ ? (*shown_)[index] : index;
}

QVariant StandListModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || role != Qt::DisplayRole) {
        return {};
    }
    const std::size_t entry = entryAt(index.row());
    return standItemText(list_->row(entry), list_->name(entry), list_->nameCut(entry));
}

void StandListModel::setFilter(const QString& typed) {
    const QString text = filterText(typed);
    if (text == filter_) {
        return;
    }
    beginResetModel();
    // A longer text keeps a part of what the shorter one kept: only that is looked through.
    const bool narrower = shown_ && text.startsWith(filter_);
    std::vector<std::size_t> kept;
    const auto look = [&](std::size_t entry) {
        if (standMatches(list_->row(entry), list_->name(entry), text)) {
            kept.push_back(entry);
        }
    };
    if (text.isEmpty()) {
        shown_.reset();
    } else if (narrower) {
        std::for_each(shown_->begin(), shown_->end(), look);
        shown_ = std::move(kept);
    } else {
        for (std::size_t entry = 0; entry < list_->size(); ++entry) {
            look(entry);
        }
        shown_ = std::move(kept);
    }
    filter_ = text;
    endResetModel();
}

StandChooser::StandChooser(std::shared_ptr<const StandList> list, QWidget* parent)
    : QDialog(parent), ui(std::make_unique<Ui::StandChooser>()) {
    ui->setupUi(this);
    ui->lblFraga->setText(
        QStringLiteral("Filen har %1 bestånd. Välj det som ska öppnas:").arg(list->size()));
    ui->lblFraga->setBuddy(ui->lstBestand);
    ui->lblSok->setBuddy(ui->txtSok);
    model_ = new StandListModel(std::move(list), this);
    ui->lstBestand->setModel(model_);
    ui->lstBestand->setCurrentIndex(model_->index(0, 0));
    ui->lstBestand->setAccessibleName(QStringLiteral("Bestånd"));
    ui->txtSok->setAccessibleName(QStringLiteral("Sök bestånd"));
    // The arrow keys move in the list while the user types.
    ui->txtSok->installEventFilter(this);
    connect(ui->txtSok, &QLineEdit::textChanged, this, &StandChooser::filter);
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
    ui->txtSok->setFocus();
}

StandChooser::~StandChooser() = default;

void StandChooser::filter(const QString& typed) {
    model_->setFilter(typed);
    const bool any = model_->rowCount() > 0;
    if (any) {
        ui->lstBestand->setCurrentIndex(model_->index(0, 0));
    }
    ui->knappar->button(QDialogButtonBox::Ok)->setEnabled(any);
}

bool StandChooser::eventFilter(QObject* watched, QEvent* event) {
    if (watched == ui->txtSok && event->type() == QEvent::KeyPress) {
        switch (static_cast<QKeyEvent*>(event)->key()) {
            case Qt::Key_Up:
            case Qt::Key_Down:
            case Qt::Key_PageUp:
            case Qt::Key_PageDown:
                QCoreApplication::sendEvent(ui->lstBestand, event);
                return true;
            default:
                break;
        }
    }
    return QDialog::eventFilter(watched, event);
}

int StandChooser::chosen() const {
    if (whole_) {
        return -1;
    }
    const QModelIndex current = ui->lstBestand->currentIndex();
    return current.isValid() ? static_cast<int>(model_->entryAt(current.row())) : -1;
}

}  // namespace lodra
