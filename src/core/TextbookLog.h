#pragma once

#include <QLoggingCategory>

// Diagnostics of the textbook (window shown, pages navigated and loaded, with times), off unless
// QT_LOGGING_RULES="normakurs.textbook.debug=true".
Q_DECLARE_LOGGING_CATEGORY(lcTextbook)
