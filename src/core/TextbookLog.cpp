#include "TextbookLog.h"

Q_LOGGING_CATEGORY(lcTextbook, "normakurs.textbook", QtWarningMsg)
