#pragma once
// How the satellite grid's cells are edited and how the pass list's rows are drawn.

#include "core/LocaleInfo.h"
#include "core/PassLine.h"

#include <QColor>
#include <QStyledItemDelegate>
#include <functional>

Q_DECLARE_METATYPE(kestrune::TPassLine)

namespace kestrune {

// The satellite grid's editor: the direction takes one letter, shown and kept in upper case;
// the length two to four digits. A text of another form leaves the cell as it was.
class TSatListDelegate final : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                          const QModelIndex& index) const override;
    void setModelData(QWidget* editor, QAbstractItemModel* model,
                      const QModelIndex& index) const override;
};

// The pass list's rows: each item holds its pass in PassRole, drawn as date, time, direction
// and satellite with the locale's separators of the moment, every odd row that is not selected
// in the alternate colour, all rows of one height.
class TPassListDelegate final : public QStyledItemDelegate {
public:
    using TLocaleSource = std::function<TLocaleInfo()>;
    static constexpr int PassRole = Qt::UserRole;

    TPassListDelegate(TLocaleSource locale, QObject* parent);

    void SetAlternateRowColour(const QColor& colour) { FAlternateRowColour = colour; }
    void SetRowHeight(int height) { FRowHeight = height; }
    // The text a row shows for its pass.
    QString DisplayText(const QModelIndex& index) const;

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;

private:
    TLocaleSource FLocale;
    QColor FAlternateRowColour = Qt::white;
    int FRowHeight = 15;
};

} // namespace kestrune
