#include "ErrorGuard.h"

#include "ApplicationTitle.h"
#include "Failure.h"
#include "PlatformServices.h"

#include <new>

QString withFullStop(const QString& message) {
    // Every character beyond ASCII is a byte of 0x80 or more in the single-byte code page, so
    // comparing the character itself gives the same answer as comparing the byte.
    if (!message.isEmpty() && message.back().unicode() > '.')
        return message + QLatin1Char('.');
    return message;
}

void reportFailure(const QString& message) noexcept {
    try {
        services().showError(applicationTitle(), withFullStop(message));
    } catch (...) {
        // The box itself failed (out of memory, say): there is nowhere left to report it.
    }
}

void showNotice(const QString& message) noexcept {
    try {
        services().showNotice(applicationTitle(), message);
    } catch (...) {
    }
}

void reportCurrentException() noexcept {
    try {
        throw;
    } catch (const Failure& failure) {
        reportFailure(failure.message());
    } catch (const std::bad_alloc&) {
        reportFailure(QStringLiteral("Out of memory"));
    } catch (const std::exception& other) {
        reportFailure(QString::fromLocal8Bit(other.what()));
    } catch (...) {
        reportFailure(QStringLiteral("Error"));
    }
}
