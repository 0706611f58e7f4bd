#pragma once

#include <QByteArray>
#include <QtGlobal>

// Read-only access to a Windows-style registry, in the shape of the three
// calls the about box makes (open a key, query a value, close the key). Names
// and data are narrow strings in the system's code page. A Windows build would
// plug its own reader in here; elsewhere the default reader answers from what
// the desktop offers.
namespace Registry {

using Handle = quintptr;

// The names differ from the Windows macros so that a Windows reader can
// include both headers.
constexpr quint32 LocalMachine = 0x80000002u; // HKEY_LOCAL_MACHINE

// Standard read rights with all six key rights.
constexpr quint32 KeyAccess = 0x2003Fu;

constexpr long Success = 0;
constexpr long FileNotFound = 2;
constexpr long MoreData = 234;

// Value types.
constexpr quint32 TextValue = 1;       // REG_SZ
constexpr quint32 ExpandTextValue = 2; // REG_EXPAND_SZ
constexpr quint32 DwordValue = 4;      // REG_DWORD

struct OpenResult {
    long status = FileNotFound;
    Handle handle = 0;
};

struct QueryResult {
    long status = FileNotFound;
    quint32 type = 0;
    QByteArray data;  // the bytes written into the caller's buffer
    quint32 size = 0; // bytes written, or the size needed when status is MoreData
};

class Reader {
public:
    virtual ~Reader() = default;
    virtual OpenResult open(quint32 root, const QByteArray &keyName, quint32 options, quint32 access) = 0;
    virtual QueryResult query(Handle key, const QByteArray &valueName, quint32 bufferSize) = 0;
    virtual long close(Handle key) = 0;
};

// The reader in use: the default one unless another was installed.
Reader &reader();
// Installs a reader (not owned); nullptr goes back to the default.
void installReader(Reader *reader);

} // namespace Registry
