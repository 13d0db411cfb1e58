#pragma once

#include <QTreeWidget>

// A two-level tree of the textbook: subjects at the top, their files under them. Its click
// handler runs on every left-button click anywhere in the tree, after the click has moved the
// selection, so a click on empty space acts on the node that is still selected.
class TextbookTree : public QTreeWidget {
    Q_OBJECT

public:
    // `editable`: node labels can be edited in place (F2, or a click on the selected node).
    TextbookTree(QWidget* parent, bool editable);

    // Appends one subject with its entries (in the order given) as a whole branch, so that the
    // view learns of it once rather than once a node.
    void addBranch(const QString& subject, const QStringList& entries);

    // The selected node, or null.
    QTreeWidgetItem* selectedNode() const;

signals:
    // A left-button click on the tree (on a node or beside them).
    void clicked();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    bool m_editable = false;
    bool m_pressed = false;
    bool m_pressedOnEmptySpace = false;
};
