#include "ui/AddSatelliteDialog.h"

#include "core/SatelliteList.h"
#include "ui/FormMain.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QVBoxLayout>

namespace kestrune {

TAddSatelliteDialog::TAddSatelliteDialog(const TElementSetIndex& sets, TDateTime now,
                                         QWidget* parent)
    : QDialog(parent), FFilter(new QLineEdit(this)), FNames(new QListWidget(this)),
      FHint(new QLabel(this)) {
    setObjectName("AddSatelliteDialog");
    setWindowTitle("Add satellite");
    setFont(LayoutFont());
    FFilter->setObjectName("EditFilter");
    FFilter->setPlaceholderText("Type part of a name");
    FNames->setObjectName("ListBoxNames");
    for (const TElementSetEntry& set : sets.Entries()) {
        const int ageDays = static_cast<int>(now - set.Epoch);
        auto* item = new QListWidgetItem(QString("%1   #%2, %3 days old")
                                             .arg(QString::fromStdString(set.Name))
                                             .arg(set.CatalogNumber)
                                             .arg(ageDays),
                                         FNames);
        item->setData(Qt::UserRole, QString::fromStdString(set.Name));
    }
    FHint->setObjectName("LabelChannelHint");
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(FFilter);
    layout->addWidget(FNames);
    layout->addWidget(FHint);
    layout->addWidget(buttons);
    resize(320, 360);
    connect(FFilter, &QLineEdit::textChanged, this, &TAddSatelliteDialog::Filter);
    connect(FNames, &QListWidget::currentRowChanged, this, &TAddSatelliteDialog::ShowHint);
    connect(FNames, &QListWidget::itemDoubleClicked, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    ShowHint();
}

QString TAddSatelliteDialog::ChosenName() const {
    const QListWidgetItem* item = FNames->currentItem();
    return item != nullptr && !item->isHidden() ? item->data(Qt::UserRole).toString() : QString();
}

void TAddSatelliteDialog::Filter(const QString& text) {
    for (int row = 0; row < FNames->count(); ++row) {
        QListWidgetItem* item = FNames->item(row);
        item->setHidden(!item->text().contains(text, Qt::CaseInsensitive));
    }
    // The first name left is the one Enter takes, unless the user picked one that is left.
    const QListWidgetItem* current = FNames->currentItem();
    if (current != nullptr && !current->isHidden())
        return;
    FNames->setCurrentRow(-1);
    for (int row = 0; row < FNames->count(); ++row) {
        if (!FNames->item(row)->isHidden()) {
            FNames->setCurrentRow(row);
            break;
        }
    }
}

void TAddSatelliteDialog::ShowHint() {
    const std::string channel = LikelyChannel(ChosenName().toStdString());
    FHint->setText(channel.empty() ? QString("New rows take both directions and 330 s.")
                                   : QString("Meteor LRPT: likely on %1 MHz.")
                                         .arg(QString::fromStdString(ChannelCellText(channel))));
}

} // namespace kestrune
