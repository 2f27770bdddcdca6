#pragma once

#include "device/DeviceValue.h"

#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>
#include <functional>
#include <vector>

class QKBtn;
class ZEX;

// What one page refresh reads from the device, in wire order, and how each result is shown.
// The page fills it on the window thread; run() then does the reads on the device thread and
// returns what to show, which the registry applies on the window thread in one go. A result
// whose field or page has gone in the meantime is dropped.
class RefreshBatch {
public:
    using Show = std::function<void()>;
    // Runs on the device thread; returns what to do on the window thread (may be empty).
    using Step = std::function<Show(ZEX& device)>;

    void add(Step step) { m_steps.push_back(std::move(step)); }

    // RefreshField: the field's source read by name and shown in the field.
    void field(QKBtn* field);

    // Any device work whose result a page shows itself: read() runs on the device thread, show()
    // on the window thread while context still exists.
    template <typename Read, typename ShowResult>
    void value(QObject* context, Read read, ShowResult show) {
        QPointer<QObject> guard(context);
        add([guard, read = std::move(read), show = std::move(show)](ZEX& device) -> Show {
            auto result = read(device);
            return [guard, show, result = std::move(result)] {
                if (guard) {
                    show(result);
                }
            };
        });
    }

    bool isEmpty() const { return m_steps.empty(); }
    int size() const { return int(m_steps.size()); }

    // On the device thread. Without a device nothing is read. A step that raises ends the
    // refresh there, as a failing page refresh does; what was read before it is still shown.
    QList<Show> run(ZEX* device) const;

private:
    std::vector<Step> m_steps;
};
