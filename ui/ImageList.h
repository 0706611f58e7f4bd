#pragma once

#include <QString>
#include <QStringList>

// An ordered list of pictures addressed from 1, as the toolbar and the status
// animation use them.
class ImageList {
public:
    ImageList() = default;
    explicit ImageList(QStringList pictures) : m_pictures(std::move(pictures)) {}

    int count() const { return int(m_pictures.size()); }
    // The picture of entry n (1-based); empty for an index out of range.
    QString picture(int n) const { return n >= 1 && n <= count() ? m_pictures.at(n - 1) : QString(); }

private:
    QStringList m_pictures;
};
