#pragma once

#include "radio/RadioLink.h"

#include <memory>

class LinkLogTap;
class MonotonicClock;
struct LinkLogRecord;

// A radio link that reports every exchange to the link log: one record per read, write, save or
// reset, with the module's ID, the parameter, the value and the link's error code as its text.
// With no sink installed each call goes straight through after one check. The base station's
// own bytes are not visible at this level, so radio records carry none.
class LoggedRadioLink : public RadioLink {
public:
    LoggedRadioLink(std::unique_ptr<RadioLink> link, LinkLogTap& tap, MonotonicClock& clock);

    void setTarget(quint32 moduleId) override;
    qint32 errorCode() override { return m_link->errorCode(); }
    QString modelName() override;
    DeviceValue readParameter(RadioParameter parameter) override;
    void writeParameter(RadioParameter parameter, const DeviceValue& value) override;
    void save() override;
    void reset() override;
    void close() override { m_link->close(); }

private:
    template <typename Call>
    auto logged(LinkLogRecord& record, Call&& call) -> decltype(call());
    void publish(LinkLogRecord& record, qint64 startMs);

    std::unique_ptr<RadioLink> m_link;
    LinkLogTap& m_tap;
    MonotonicClock& m_clock;
    quint32 m_target = 0;
};
