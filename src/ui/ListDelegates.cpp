#include "ui/ListDelegates.h"

#include "core/SatelliteList.h"

#include <QLineEdit>
#include <QPainter>
#include <QRegularExpressionValidator>

namespace kestrune {

QWidget* TSatListDelegate::createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                                        const QModelIndex& index) const {
    auto* editor =
        qobject_cast<QLineEdit*>(QStyledItemDelegate::createEditor(parent, option, index));
    if (editor == nullptr)
        return nullptr;
    if (index.column() == DirectionColumn) {
        editor->setValidator(
            new QRegularExpressionValidator(QRegularExpression("[A-Za-z]"), editor));
        connect(editor, &QLineEdit::textEdited, editor,
                [editor](const QString& text) { editor->setText(text.toUpper()); });
    } else if (index.column() == MinLengthColumn) {
        editor->setValidator(
            new QRegularExpressionValidator(QRegularExpression("[0-9]{0,4}"), editor));
    }
    return editor;
}

void TSatListDelegate::setModelData(QWidget* editor, QAbstractItemModel* model,
                                    const QModelIndex& index) const {
    const auto* lineEdit = qobject_cast<QLineEdit*>(editor);
    if (lineEdit == nullptr)
        return;
    if (const auto text = AcceptCellText(index.column(), lineEdit->text().toStdString()))
        model->setData(index, QString::fromStdString(*text), Qt::EditRole);
}

TPassListDelegate::TPassListDelegate(TLocaleSource locale, QObject* parent)
    : QStyledItemDelegate(parent), FLocale(std::move(locale)) {}

QString TPassListDelegate::DisplayText(const QModelIndex& index) const {
    return QString::fromStdString(
        PassDisplayText(index.data(PassRole).value<TPassLine>(), FLocale()));
}

void TPassListDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                              const QModelIndex& index) const {
    const bool selected = option.state.testFlag(QStyle::State_Selected);
    if (index.row() % 2 == 1 && !selected)
        painter->fillRect(option.rect, FAlternateRowColour);
    else
        painter->fillRect(option.rect,
                          option.palette.brush(selected ? QPalette::Highlight : QPalette::Base));
    painter->save();
    painter->setFont(option.font);
    painter->setPen(option.palette.color(selected ? QPalette::HighlightedText : QPalette::Text));
    const QFontMetrics metrics(option.font);
    painter->drawText(option.rect.left() + 2, option.rect.top() + 1 + metrics.ascent(),
                      DisplayText(index));
    painter->restore();
}

QSize TPassListDelegate::sizeHint(const QStyleOptionViewItem& option,
                                  const QModelIndex& index) const {
    return {QStyledItemDelegate::sizeHint(option, index).width(), FRowHeight};
}

} // namespace kestrune
