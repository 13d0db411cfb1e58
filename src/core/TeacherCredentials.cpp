#include "TeacherCredentials.h"

#include <QCryptographicHash>

namespace TeacherCredentials {
namespace {

const char kSalt[] = "Normakurs/sign-in/7f3c9a1e";
const char kUserNameDigest[] = "71bf3fde8a82d7b25581c7e94ef70acb95ca77686d477ab01716e6f928eef58b";
const char kPasswordDigest[] = "d26add41e1430779eafac3013460531ba731adaeb516bad4409b2f728c5d90a4";

QByteArray digestOf(const QString& typed) {
    QCryptographicHash hash(QCryptographicHash::Sha256);
    hash.addData(QByteArrayView(kSalt));
    hash.addData(QByteArrayView("\0", 1));
    hash.addData(typed.toUtf8());
    return hash.result();
}

// Compares two equally long digests without stopping at the first difference.
bool sameDigest(const QByteArray& a, const QByteArray& b) {
    if (a.size() != b.size())
        return false;
    unsigned char difference = 0;
    for (qsizetype i = 0; i < a.size(); ++i)
        difference |= static_cast<unsigned char>(a[i] ^ b[i]);
    return difference == 0;
}

} // namespace

bool userNameMatches(const QString& typed) {
    return sameDigest(digestOf(typed), QByteArray::fromHex(kUserNameDigest));
}

bool passwordMatches(const QString& typed) {
    return sameDigest(digestOf(typed), QByteArray::fromHex(kPasswordDigest));
}

} // namespace TeacherCredentials
