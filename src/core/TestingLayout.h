#pragma once

#include <QRect>

// Where the testing window's controls go for a given client size.
struct TestingLayout {
    QRect pnl1; // registration panel, centred
    QRect lst1; // question list, right edge
    QRect mmo1; // question view
    QRect pnl2; // answer buttons, under the view
    QRect btn7; // "Завершить тест"
    QRect btn9; // "Выход"
    QRect btn8; // "Начать заново"

    static TestingLayout forClient(int clientWidth, int clientHeight);
};
