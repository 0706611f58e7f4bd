#pragma once

#include "archive/FileSystem.h"

#include <QByteArray>
#include <QString>
#include <map>
#include <memory>
#include <optional>
#include <random>
#include <set>

// A disk that can lose power: an in-memory file system that remembers, for
// each file, what was last synced and which 512-byte sectors (and whether its
// length) changed since; and, for the folder, which names were created or
// removed since it was last synced. A power cut after a chosen step decides
// for each of those, by seeded pseudo-random choice, whether it reached the
// disk: a sector is kept, dropped (its synced bytes) or scrambled; a length
// or a name is the new or the old one. Every call after the cut fails.
class SimulatedDisk final : public FileSystem {
public:
    static constexpr qint64 SectorSize = 512;
    // How the cut treats what was not synced.
    enum class Cut { KeepAll, DropAll, Random };

    // The power goes right after step `step` (a write, truncation, sync,
    // creation, removal or folder sync; counted from 1 since the last
    // restart()). 0: never.
    void cutAfter(int step, Cut how = Cut::Random, quint32 seed = 0);
    int steps() const { return m_steps; }
    bool isCut() const { return m_cut; }
    // The power is back: what survived the cut, or without one all that was
    // written, is what the files hold from now on, all of it synced; the
    // step count starts again.
    void restart();
    // A file's bytes as the disk holds them since the last restart; nullopt:
    // no file. A file never used is read from the real disk once.
    std::optional<QByteArray> contents(const QString &path);
    void setContents(const QString &path, const std::optional<QByteArray> &bytes);

    std::unique_ptr<FileHandle> open(const QString &path, Mode mode, QString *reason) override;
    bool exists(const QString &path) override;
    IoResult remove(const QString &path) override;
    IoResult syncFolderOf(const QString &path) override;

    struct Inode {
        QByteArray data, synced;
        std::set<qint64> dirty; // sectors written since the last sync
    };
    // Counts a step that has just happened; the power goes if it is the one.
    void stepDone();

private:
    using Names = std::map<QString, std::shared_ptr<Inode>>;
    void load(const QString &path);
    QByteArray survivor(const Inode &inode);
    int choose(int choices);
    void powerCut();

    using Files = std::map<QString, std::optional<QByteArray>>;
    Names m_names, m_syncedNames; // null: no file
    Files m_platter;              // the files as of the last restart
    Files m_image;                // what a cut left
    int m_steps = 0, m_cutAt = 0;
    bool m_cut = false;
    Cut m_how = Cut::Random;
    std::mt19937 m_random;
};
