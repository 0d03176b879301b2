#include "MemoryTableDelegate.h"

#include <QLineEdit>

MemoryTableDelegate::MemoryTableDelegate(QObject* parent) : QItemDelegate(parent) {}

QWidget* MemoryTableDelegate::createEditor(QWidget* parent, const QStyleOptionViewItem&,
                                           const QModelIndex&) const
{
    auto* editor = new QLineEdit(parent);
    connect(editor, &QLineEdit::editingFinished, this, &MemoryTableDelegate::commitAndCloseEditor);
    return editor;
}

void MemoryTableDelegate::setEditorData(QWidget* editor, const QModelIndex& index) const
{
    if (auto* line = qobject_cast<QLineEdit*>(editor))
        line->setText(index.model()->data(index, Qt::EditRole).toString());
}

void MemoryTableDelegate::setModelData(QWidget* editor, QAbstractItemModel* model,
                                       const QModelIndex& index) const
{
    if (auto* line = qobject_cast<QLineEdit*>(editor))
        model->setData(index, line->text(), Qt::EditRole);
}

void MemoryTableDelegate::commitAndCloseEditor()
{
    auto* editor = qobject_cast<QWidget*>(sender());
    emit commitData(editor);
    emit closeEditor(editor, QAbstractItemDelegate::NoHint);
}
