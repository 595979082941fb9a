#include "ComSetupDialog.h"

#include <QComboBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFormLayout>

namespace kestrune {

bool TComSetupDialog::ShowModal(TComSetupForm& form) {
    QDialog dialog(FParent);
    dialog.setWindowTitle("Setup");
    auto* layout = new QFormLayout(&dialog);
    const char* const captions[] = {"Port",      "Baud rate", "Data bits",
                                    "Stop bits", "Parity",    "Flow control"};
    int row = 0;
    for (TComComboBox* combo : form.Combos()) {
        auto* list = new QComboBox(&dialog);
        list->setObjectName(QString("Combo%1").arg(row + 1));
        for (const std::string& item : combo->Items())
            list->addItem(QString::fromStdString(item));
        list->setCurrentIndex(combo->ItemIndex());
        QObject::connect(list, &QComboBox::activated, &dialog,
                         [combo](int index) { combo->Change(index); });
        layout->addRow(captions[row++], list);
    }
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    layout->addRow(buttons);
    return dialog.exec() == QDialog::Accepted;
}

} // namespace kestrune
