#pragma once

#include "ChatTargets.h"

#include <QByteArray>
#include <QString>
#include <vector>

namespace quillane {

struct TBundleFile {
    QString name;  // its path inside the archive; a folder's ends in "/"
    QByteArray bytes;
};

// The files as one archive, zip or tar.gz, written by libarchive. Raises
// std::runtime_error when the archive cannot be made.
QByteArray ArchiveOf(const std::vector<TBundleFile>& files, TChatBundle bundle);

}  // namespace quillane
