#pragma once

#include "ChatTargets.h"

#include <QSet>
#include <QString>

namespace quillane {

// The names of one export's files, by the target's rule, each unique in the
// export whatever its letter case, and never a path: no name leaves the folder.
class TChatNames {
public:
    explicit TChatNames(TChatNaming naming) : naming_(naming) {}

    // The base name (without extension) for an item called `name`.
    QString Take(const QString& name);

private:
    QString Made(const QString& name) const;
    QString Numbered(const QString& base, int number) const;

    TChatNaming naming_;
    QSet<QString> used_;
};

}  // namespace quillane
