#pragma once

#include <QByteArray>
#include <QString>
#include <QWidget>
#include <vector>

namespace quillane {

// The emoticons of an opened pack file, each animated, in rows over the
// preview's white background; a tool tip gives each one's name and shortcut.
class TEmoticonGrid : public QWidget {
    Q_OBJECT
public:
    struct Emoticon {
        QByteArray picture;  // the picture file's bytes
        QString name;
        QString shortcut;
    };

    explicit TEmoticonGrid(QWidget* parent = nullptr);

    // Shows these emoticons in place of the ones shown before; returns how
    // many of them could be shown.
    int SetEmoticons(const std::vector<Emoticon>& emoticons);
};

}  // namespace quillane
