#include "TestTextHolder.h"

TestTextHolder::TestTextHolder(QWidget* parent)
    : QWidget(parent) {
    hide();
}
