#include "shell/ProgramLinks.h"

#include "radio/LoggedRadioFactory.h"
#include "radio/RadioFactory.h"
#include "radio/RadioSupport.h"
#include "serial/QtSerialPortControl.h"
#include "serial/Zarnbus2Module.h"

ProgramLinks::ProgramLinks(MonotonicClock& clock, std::unique_ptr<RadioFactory> radioFactory,
                           LinkLogTap& linkLog)
    : m_port(std::make_unique<QtSerialPortControl>())
    , m_serial(std::make_unique<Zarnbus2Link>(*m_port, clock))
    , m_radioFactory(std::make_unique<LoggedRadioFactory>(std::move(radioFactory), linkLog, clock))
    , m_radio(std::make_unique<RadioSupport>(*m_radioFactory, clock)) {
    m_serial->log = &linkLog;
}

ProgramLinks::~ProgramLinks() = default;
