#include "platform/fs/linktarget.h"

#include <QFileInfo>

namespace {
// As many links as the system follows when it opens a path.
constexpr int kMaxLinks = 40;
} // namespace

QString FinalLinkTarget(const QString& path) {
    QString target = path;
    for (int link = 0; link < kMaxLinks; ++link) {
        const QFileInfo info(target);
        if (!info.isSymLink())
            break;
        target = info.symLinkTarget(); // absolute, also for a link written relative to its folder
    }
    return target;
}
