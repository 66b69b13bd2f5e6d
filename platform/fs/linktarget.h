#pragma once
#include <QString>

// The file that a path finally names: a symbolic link is followed, link after link, to the
// file it points to (which need not exist yet). A path that is no link comes back as it is; a
// chain of links that does not end comes back at its last link, where opening it fails.
// Writers that replace a file write beside this path, so that a link keeps pointing to it.
QString FinalLinkTarget(const QString& path);
