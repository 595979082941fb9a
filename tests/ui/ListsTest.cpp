// What the widgets add to the satellite list's and the pass list's logic: the grid's editor,
// the pass list's drawing, and the port setup dialog's lists.

#include "core/SatelliteList.h"
#include "settings/MemoryRegistry.h"
#include "ui/AddSatelliteDialog.h"
#include "ui/ComSetupDialog.h"
#include "ui/ListDelegates.h"

#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QTableWidget>
#include <QTest>
#include <gtest/gtest.h>

namespace kestrune {
namespace {

TEST(SatelliteGridEditor, DirectionIsOneUpperCaseLetterAndLengthTwoToFourDigits) {
    QTableWidget grid(1, 3);
    auto* delegate = new TSatListDelegate(&grid);
    grid.setItemDelegate(delegate);
    for (int column = 0; column < 3; ++column)
        grid.setItem(0, column, new QTableWidgetItem(column == 1 ? "N" : "720"));
    grid.show();

    const auto edit = [&](int column, const char* keys) {
        const QModelIndex index = grid.model()->index(0, column);
        grid.setCurrentIndex(index);
        grid.edit(index);
        auto* editor = qobject_cast<QLineEdit*>(grid.indexWidget(index));
        EXPECT_NE(editor, nullptr);
        if (editor == nullptr)
            return QString();
        editor->selectAll();
        QTest::keyClicks(editor, keys);
        const QString shown = editor->text();
        // What Return in the cell does.
        emit delegate->commitData(editor);
        emit delegate->closeEditor(editor);
        return shown;
    };
    EXPECT_EQ(edit(DirectionColumn, "s"), "S");
    EXPECT_EQ(grid.item(0, DirectionColumn)->text(), "S");
    EXPECT_EQ(edit(DirectionColumn, "7"), "S"); // refused as it is typed
    EXPECT_EQ(grid.item(0, DirectionColumn)->text(), "S");
    edit(MinLengthColumn, "5");
    EXPECT_EQ(grid.item(0, MinLengthColumn)->text(), "720"); // one digit is not kept
    EXPECT_EQ(edit(MinLengthColumn, "12345"), "1234");
    EXPECT_EQ(grid.item(0, MinLengthColumn)->text(), "1234");
}

TEST(PassListDrawing, OddRowsInTheAlternateColourAndTheLocalesSeparatorsOfTheMoment) {
    TLocaleInfo locale;
    QListWidget list;
    auto* delegate = new TPassListDelegate([&] { return locale; }, &list);
    list.setItemDelegate(delegate);
    QPalette palette = list.palette();
    palette.setColor(QPalette::Base, Qt::white);
    list.setPalette(palette);
    delegate->SetAlternateRowColour(QColor::fromRgb(0xFFFFFF ^ 0x101010));
    delegate->SetRowHeight(16);
    const TPassLine pass = ParsePassLine("20191224102345 N 45 123 726 NOAA 19");
    for (int i = 0; i < 4; ++i) {
        auto* item = new QListWidgetItem(QString::fromStdString(pass.Text), &list);
        item->setData(TPassListDelegate::PassRole, QVariant::fromValue(pass));
    }
    list.resize(231, 157);
    list.show();

    locale.DateSeparator = '/';
    EXPECT_EQ(delegate->DisplayText(list.model()->index(0, 0)), "2019/12/24 10:23:45 N NOAA 19");
    locale.DateSeparator = '-';
    EXPECT_EQ(delegate->DisplayText(list.model()->index(0, 0)), "2019-12-24 10:23:45 N NOAA 19");

    const auto background = [&](int row) {
        const QImage image = list.viewport()->grab().toImage();
        return image.pixelColor(image.width() - 3, row * 16 + 8).rgb() & 0xFFFFFF;
    };
    EXPECT_EQ(background(0), 0xFFFFFFu);
    EXPECT_EQ(background(1), 0xEFEFEFu);
    EXPECT_EQ(background(2), 0xFFFFFFu);
    list.setCurrentRow(1);
    EXPECT_EQ(background(1), list.palette().color(QPalette::Highlight).rgb() & 0xFFFFFF);
    EXPECT_EQ(background(3), 0xEFEFEFu);
}

// Typing narrows the names; the first one left is what Enter adds, unless the user picked one.
TEST(AddSatelliteDialog, TheNameLeftByTheFilterIsTheOneChosen) {
    TElementSetIndex sets(
        {{"NOAA 18", 28654, 45000}, {"METEOR-M2 3", 57166, 45000}, {"METEOR-M2 4", 59051, 45000}});
    TAddSatelliteDialog dialog(sets, 45001, nullptr);
    auto* filter = dialog.findChild<QLineEdit*>("EditFilter");
    auto* names = dialog.findChild<QListWidget*>("ListBoxNames");
    filter->setText("meteor");
    EXPECT_EQ(dialog.ChosenName(), "METEOR-M2 3");
    names->setCurrentItem(names->findItems("METEOR-M2 4", Qt::MatchStartsWith).front());
    filter->setText("meteor-m2 ");
    EXPECT_EQ(dialog.ChosenName(), "METEOR-M2 4");
    filter->setText("goes");
    EXPECT_EQ(dialog.ChosenName(), "");
}

TEST(PortSetupDialog, ShowsTheSixListsWithTheirSelections) {
    TMemoryRegistry registry;
    std::unique_ptr<IRegistryKey> key;
    ASSERT_EQ(registry.CreateKey(TRootKey::LocalMachine, "HARDWARE\\DEVICEMAP\\SERIALCOMM",
                                 KeyAllAccess, key),
              ErrorSuccess);
    for (const char* port : {"COM2", "COM10", "COM1"})
        ASSERT_EQ(key->SetValue(std::string("\\Device\\") + port, RegSz, Utf16Bytes(port)),
                  ErrorSuccess);
    TComSetupForm form(registry);
    TComSetupFrm dialog(form, nullptr);
    std::vector<QStringList> items;
    for (int i = 1; i <= 6; ++i) {
        auto* list = dialog.findChild<QComboBox*>(QString("Combo%1").arg(i));
        ASSERT_NE(list, nullptr);
        QStringList texts;
        for (int item = 0; item < list->count(); ++item)
            texts << list->itemText(item);
        items.push_back(texts);
        EXPECT_EQ(list->geometry().topLeft(), QPoint(80, 16 + 24 * (i - 1)));
    }
    EXPECT_EQ(items[0], QStringList({"COM1", "COM10", "COM2"}));
    EXPECT_EQ(items[3], QStringList({"1", "1.5", "2"}));
    EXPECT_EQ(items[5], QStringList({"Hardware", "Software", "None", "Custom"}));

    // A pick in the window reaches the list's selection.
    auto* ports = dialog.findChild<QComboBox*>("Combo1");
    emit ports->activated(2);
    EXPECT_EQ(form.Combo1.Text(), "COM2");
}

} // namespace
} // namespace kestrune
