#pragma once

#include <QColor>

class QWidget;

// The toolkit's named system colours that the textbook uses, taken from the desktop's palette
// (QGuiApplication::palette(), active group) so that they follow the desktop theme:
//
//   clScrollBar     (system colour 0, the scroll bar groove)  -> QPalette::Mid
//   cl3DDkShadow    (system colour 21, the darkest 3D edge)    -> QPalette::Shadow
//   clMenuHighlight (system colour 29, a highlighted menu item) -> QPalette::Highlight
//
// Mid is the shade that Qt's own styles draw scroll bar grooves and mid bevels with; Shadow is
// the very dark edge of a 3D frame; Highlight is the selection colour of menus and lists.
namespace SystemColours {

QColor clScrollBar();
QColor cl3DDkShadow();
QColor clMenuHighlight();
inline QColor clWhite() {
    return QColor(0xFF, 0xFF, 0xFF);
}

// Fills the widget's background with `colour` (the toolkit's Color property of a panel).
void setBackground(QWidget& widget, const QColor& colour);
// Sets the colour of the widget's text (its font colour).
void setFontColour(QWidget& widget, const QColor& colour);

} // namespace SystemColours
