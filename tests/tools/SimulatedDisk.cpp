#include "tests/tools/SimulatedDisk.h"

#include <QFile>
#include <QFileInfo>
#include <algorithm>

namespace {

const QString PowerOff = QStringLiteral("the power is off");

class SimulatedFile final : public FileHandle {
public:
    SimulatedFile(SimulatedDisk &disk, std::shared_ptr<SimulatedDisk::Inode> inode)
        : m_disk(disk), m_inode(std::move(inode))
    {
    }

    IoResult tryLockExclusive() override { return IoResult::success(1); }
    IoResult size() override { return live() ? IoResult::success(m_inode->data.size()) : off(); }
    IoResult readAt(qint64 offset, char *buffer, qint64 length) override
    {
        if (!live())
            return off();
        const qint64 n = std::clamp<qint64>(m_inode->data.size() - offset, 0, length);
        std::copy_n(m_inode->data.constData() + offset, n, buffer);
        return IoResult::success(n);
    }
    IoResult writeAt(qint64 offset, const char *data, qint64 length) override
    {
        if (!live())
            return off();
        QByteArray &bytes = m_inode->data;
        if (bytes.size() < offset + length)
            bytes.append(QByteArray(offset + length - bytes.size(), '\0'));
        std::copy_n(data, length, bytes.data() + offset);
        markDirty(offset, offset + length);
        m_disk.stepDone();
        return IoResult::success(length);
    }
    IoResult truncate(qint64 length) override
    {
        if (!live())
            return off();
        const qint64 old = m_inode->data.size();
        m_inode->data.resize(length);
        // A shorter file has no new sectors; only its length is in doubt.
        if (length > old) {
            std::fill(m_inode->data.begin() + old, m_inode->data.end(), '\0');
            markDirty(old, length);
        }
        m_disk.stepDone();
        return IoResult::success(length);
    }
    IoResult sync() override
    {
        if (!live())
            return off();
        m_inode->synced = m_inode->data;
        m_inode->dirty.clear();
        m_disk.stepDone();
        return IoResult::success();
    }

private:
    bool live() const { return !m_disk.isCut(); }
    static IoResult off() { return IoResult::failure(PowerOff); }
    void markDirty(qint64 begin, qint64 end)
    {
        for (qint64 s = begin / SimulatedDisk::SectorSize; s * SimulatedDisk::SectorSize < end; ++s)
            m_inode->dirty.insert(s);
    }

    SimulatedDisk &m_disk;
    std::shared_ptr<SimulatedDisk::Inode> m_inode;
};

} // namespace

void SimulatedDisk::cutAfter(int step, Cut how, quint32 seed)
{
    m_cutAt = step;
    m_how = how;
    m_random.seed(seed);
}

void SimulatedDisk::stepDone()
{
    if (++m_steps == m_cutAt)
        powerCut();
}

std::optional<QByteArray> SimulatedDisk::contents(const QString &path)
{
    if (!m_platter.count(path)) {
        QFile file(path);
        m_platter[path] = file.open(QIODevice::ReadOnly) ? std::optional(file.readAll()) : std::nullopt;
    }
    return m_platter[path];
}

void SimulatedDisk::setContents(const QString &path, const std::optional<QByteArray> &bytes)
{
    m_platter[path] = bytes;
    m_names.erase(path);
    m_syncedNames.erase(path);
}

void SimulatedDisk::load(const QString &path)
{
    if (m_names.count(path))
        return;
    std::shared_ptr<Inode> inode;
    if (const std::optional<QByteArray> bytes = contents(path)) {
        inode = std::make_shared<Inode>();
        inode->data = inode->synced = *bytes;
    }
    m_names[path] = m_syncedNames[path] = inode;
}

std::unique_ptr<FileHandle> SimulatedDisk::open(const QString &path, Mode mode, QString *reason)
{
    load(path);
    std::shared_ptr<Inode> &inode = m_names[path];
    if (!inode && !m_cut && mode == Mode::ReadWriteCreate) {
        inode = std::make_shared<Inode>();
        stepDone();
    }
    if (!inode || m_cut) {
        *reason = m_cut ? PowerOff : QStringLiteral("No such file or directory");
        return nullptr;
    }
    return std::make_unique<SimulatedFile>(*this, inode);
}

bool SimulatedDisk::exists(const QString &path)
{
    load(path);
    return m_names[path] != nullptr;
}

IoResult SimulatedDisk::remove(const QString &path)
{
    load(path);
    if (m_cut)
        return IoResult::failure(PowerOff);
    if (!m_names[path])
        return IoResult::failure(QStringLiteral("No such file or directory"));
    m_names[path].reset();
    stepDone();
    return IoResult::success();
}

IoResult SimulatedDisk::syncFolderOf(const QString &path)
{
    if (m_cut)
        return IoResult::failure(PowerOff);
    const QString folder = QFileInfo(path).absolutePath();
    for (const auto &[name, inode] : m_names) {
        if (QFileInfo(name).absolutePath() == folder)
            m_syncedNames[name] = inode;
    }
    stepDone();
    return IoResult::success();
}

int SimulatedDisk::choose(int choices)
{
    if (m_how != Cut::Random)
        return m_how == Cut::KeepAll ? 0 : 1;
    return int(m_random() % unsigned(choices));
}

// Sectors in order, so a seed always gives the same outcome.
QByteArray SimulatedDisk::survivor(const Inode &inode)
{
    const bool newLength = inode.data.size() != inode.synced.size() && choose(2) == 0;
    QByteArray bytes = inode.synced;
    const qint64 length = newLength ? inode.data.size() : inode.synced.size();
    bytes.resize(length);
    if (length > inode.synced.size())
        std::fill(bytes.begin() + inode.synced.size(), bytes.end(), '\0');
    for (const qint64 sector : inode.dirty) {
        const qint64 begin = sector * SectorSize, end = std::min(begin + SectorSize, length);
        const int choice = choose(3); // 0 kept, 1 dropped, 2 scrambled
        for (qint64 i = begin; i < end; ++i) {
            if (choice == 0)
                bytes[i] = i < inode.data.size() ? inode.data[i] : '\0';
            else if (choice == 2)
                bytes[i] = char(m_random());
        }
    }
    return bytes;
}

void SimulatedDisk::powerCut()
{
    m_cut = true;
    for (const auto &[path, now] : m_names) {
        const std::shared_ptr<Inode> &synced = m_syncedNames[path];
        const std::shared_ptr<Inode> &kept = now == synced || choose(2) == 0 ? now : synced;
        m_image[path] = kept ? std::optional(survivor(*kept)) : std::nullopt;
    }
}

void SimulatedDisk::restart()
{
    for (const auto &[path, now] : m_names)
        m_platter[path] = m_cut ? m_image[path] : now ? std::optional(now->data) : std::nullopt;
    m_names.clear();
    m_syncedNames.clear();
    m_image.clear();
    m_steps = m_cutAt = 0;
    m_cut = false;
}
