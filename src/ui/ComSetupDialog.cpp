#include "ui/ComSetupDialog.h"

#include "ui/FormMain.h"

#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>

namespace kestrune {

TComSetupFrm::TComSetupFrm(TComSetupForm& form, QWidget* parent) : QDialog(parent) {
    setObjectName("ComSetupFrm");
    setWindowTitle("Setup");
    setFont(LayoutFont());
    setFixedSize(231, 216);
    auto* group = new QGroupBox(" Settings ", this);
    group->setObjectName("GroupBox1");
    group->setGeometry(8, 8, 217, 169);
    const char* const captions[] = {"Port",      "Baud rate", "Data bits",
                                    "Stop bits", "Parity",    "Flow control"};
    const std::vector<TComComboBox*> combos = form.Combos();
    for (int i = 0; i < 6; ++i) {
        auto* label = new QLabel(captions[i], group);
        label->setObjectName(QString("Label%1").arg(i + 1));
        label->move(8, 24 + 24 * i);
        auto* list = new QComboBox(group);
        list->setObjectName(QString("Combo%1").arg(i + 1));
        list->setGeometry(80, 16 + 24 * i, 129, 22);
        TComComboBox* combo = combos[static_cast<std::size_t>(i)];
        for (const std::string& item : combo->Items())
            list->addItem(QString::fromStdString(item));
        list->setCurrentIndex(combo->ItemIndex());
        connect(list, &QComboBox::activated, this, [combo](int index) { combo->Change(index); });
        FCombos[i] = list;
    }
    auto* ok = new QPushButton("OK", this);
    ok->setObjectName("Button1");
    ok->setGeometry(70, 184, 75, 25);
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    auto* cancel = new QPushButton("Cancel", this);
    cancel->setObjectName("Button2");
    cancel->setGeometry(150, 184, 75, 25);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    for (int i = 0; i < 5; ++i)
        setTabOrder(FCombos[i], FCombos[i + 1]);
    setTabOrder(FCombos[5], ok);
    setTabOrder(ok, cancel);
}

bool TComSetupDialog::ShowModal(TComSetupForm& form) {
    TComSetupFrm dialog(form, FParent);
    return dialog.exec() == QDialog::Accepted;
}

} // namespace kestrune
