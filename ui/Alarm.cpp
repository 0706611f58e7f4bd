#include "ui/Alarm.h"

#include <QCoreApplication>
#include <canberra.h>
#include <memory>

namespace Alarm {
namespace {

struct ContextDeleter {
    void operator()(ca_context *c) const { ca_context_destroy(c); }
};

class CanberraAlarm final : public Seam {
public:
    void overTime() override
    {
        if (!m_context) {
            ca_context *c = nullptr;
            if (ca_context_create(&c) != CA_SUCCESS)
                return;
            m_context.reset(c);
            ca_context_change_props(c, CA_PROP_APPLICATION_NAME,
                                    qPrintable(QCoreApplication::applicationName()), CA_PROP_APPLICATION_ID,
                                    "io.github.varko.chronometer", nullptr);
        }
        // An event sound: the sound server's event volume and mute apply to it.
        ca_context_play(m_context.get(), 0, CA_PROP_EVENT_ID, "alarm-clock-elapsed", CA_PROP_MEDIA_ROLE,
                        "event", CA_PROP_EVENT_DESCRIPTION,
                        qUtf8Printable(QCoreApplication::translate("Alarm", "A player is over time")),
                        nullptr);
    }

private:
    std::unique_ptr<ca_context, ContextDeleter> m_context;
};

} // namespace

void overTime()
{
    Outside<Seam>::current().overTime();
}

} // namespace Alarm

template <> Alarm::Seam &Outside<Alarm::Seam>::real()
{
    static Alarm::CanberraAlarm real;
    return real;
}
