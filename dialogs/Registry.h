#pragma once

#include "app/Outside.h"

#include <QByteArray>
#include <QtGlobal>

#include <optional>

// Reading a value of a Windows-style registry, as the about box looks one up.
// The program is built for desktops without a registry: its own reader
// answers from the tools on the search path, and tests put theirs in place.
// Names and data are narrow strings in the system's code page.
namespace Registry {

constexpr quint32 LocalMachine = 0x80000002u; // HKEY_LOCAL_MACHINE
constexpr quint32 TextValue = 1;              // REG_SZ

// A value as the registry stores it: a text's terminating NUL is one of its bytes.
struct Value {
    quint32 type = TextValue;
    QByteArray data;
};

class Reader {
public:
    virtual ~Reader() = default;
    // Nothing when the key or the value is missing.
    virtual std::optional<Value> value(quint32 root, const QByteArray &keyName,
                                       const QByteArray &valueName) const = 0;
};

} // namespace Registry

template <> Registry::Reader &Outside<Registry::Reader>::real();
