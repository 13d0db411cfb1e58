#include "TextbookTree.h"

#include <QHeaderView>
#include <QMouseEvent>

TextbookTree::TextbookTree(QWidget* parent, bool editable)
    : QTreeWidget(parent)
    , m_editable(editable) {
    setHeaderHidden(true);
    setColumnCount(1);
    setIndentation(19);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(editable
                        ? QAbstractItemView::EditKeyPressed | QAbstractItemView::SelectedClicked
                        : QAbstractItemView::NoEditTriggers);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    header()->setStretchLastSection(false);
}

void TextbookTree::addBranch(const QString& subject, const QStringList& entries) {
    const auto makeNode = [this](const QString& name) {
        auto* node = new QTreeWidgetItem(QStringList{name});
        if (m_editable)
            node->setFlags(node->flags() | Qt::ItemIsEditable);
        return node;
    };
    QTreeWidgetItem* branch = makeNode(subject);
    QList<QTreeWidgetItem*> children;
    children.reserve(entries.size());
    for (const QString& entry : entries)
        children.append(makeNode(entry));
    branch->addChildren(children);
    addTopLevelItem(branch);
}

QTreeWidgetItem* TextbookTree::selectedNode() const {
    const QList<QTreeWidgetItem*> selected = selectedItems();
    return selected.isEmpty() ? nullptr : selected.constFirst();
}

void TextbookTree::mousePressEvent(QMouseEvent* event) {
    m_pressed = event->button() == Qt::LeftButton;
    // A press beside the nodes keeps the selection (the item view would drop it): the click
    // handler then acts on the node that was selected before.
    m_pressedOnEmptySpace = !indexAt(event->position().toPoint()).isValid();
    if (m_pressedOnEmptySpace) {
        setFocus(Qt::MouseFocusReason);
        event->accept();
        return;
    }
    QTreeWidget::mousePressEvent(event);
}

void TextbookTree::mouseReleaseEvent(QMouseEvent* event) {
    if (m_pressedOnEmptySpace)
        event->accept();
    else
        QTreeWidget::mouseReleaseEvent(event);
    const bool click = m_pressed && event->button() == Qt::LeftButton;
    m_pressed = false;
    m_pressedOnEmptySpace = false;
    if (click)
        emit clicked();
}
