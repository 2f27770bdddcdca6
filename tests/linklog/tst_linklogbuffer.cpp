#include "linklog/LinkLogBuffer.h"
#include "linklog/LinkLogFormat.h"
#include "linklog/LinkLogTap.h"

#include <QTest>
#include <QThread>

namespace {

LinkLogRecord Read(const QString& member) {
    LinkLogRecord record;
    record.member = member;
    record.outcomeText = QStringLiteral("OK");
    record.attempts = 1;
    return record;
}

QStringList Members(const QList<LinkLogBuffer::Entry>& entries) {
    QStringList members;
    for (const LinkLogBuffer::Entry& entry : entries) {
        members.append(entry.record.operation == LinkLogRecord::Operation::Note
                           ? entry.record.outcomeText
                           : entry.record.member);
    }
    return members;
}

} // namespace

class TestLinkLogBuffer : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void keepsTheNewestRecordsUpToItsCapacity() {
        LinkLogBuffer buffer(3);
        for (const char* member : {"A", "B", "C", "D", "E"}) {
            buffer.record(Read(QLatin1String(member)));
        }
        QCOMPARE(Members(buffer.entries()), QStringList({"C", "D", "E"}));
        quint64 cursor = 0;
        QCOMPARE(Members(buffer.fetch(cursor)), QStringList({"C", "D", "E"}));
        QCOMPARE(cursor, quint64(5));
    }

    void aCursorFetchesOnlyWhatCameAfterIt() {
        LinkLogBuffer buffer(4);
        quint64 cursor = 0;
        buffer.record(Read("A"));
        buffer.record(Read("B"));
        QCOMPARE(Members(buffer.fetch(cursor)), QStringList({"A", "B"}));
        QCOMPARE(Members(buffer.fetch(cursor)), QStringList());
        buffer.record(Read("C"));
        QCOMPARE(Members(buffer.fetch(cursor)), QStringList({"C"}));
        // A reader that fell behind the ring gets what is left, from the oldest kept.
        for (const char* member : {"D", "E", "F", "G", "H", "I"}) {
            buffer.record(Read(QLatin1String(member)));
        }
        QCOMPARE(Members(buffer.fetch(cursor)), QStringList({"F", "G", "H", "I"}));
        buffer.clear();
        QCOMPARE(buffer.size(), 0);
        buffer.record(Read("J"));
        QCOMPARE(Members(buffer.fetch(cursor)), QStringList({"J"}));
    }

    void theListenerHearsOnceUntilTheReaderFetchesAndNotWhilePaused() {
        LinkLogBuffer buffer;
        int calls = 0;
        buffer.setListener([&calls] { ++calls; });
        buffer.record(Read("A"));
        buffer.record(Read("B"));
        QCOMPARE(calls, 1);
        quint64 cursor = 0;
        buffer.fetch(cursor);
        buffer.record(Read("C"));
        QCOMPARE(calls, 2);

        // Pausing keeps nothing and wakes no one; resuming says how many passed.
        buffer.fetch(cursor);
        buffer.setPaused(true);
        QVERIFY(buffer.paused());
        for (int i = 0; i < 4; ++i) {
            buffer.record(Read("B"));
        }
        QCOMPARE(calls, 2);
        buffer.setPaused(false);
        const QList<LinkLogBuffer::Entry> fetched = buffer.fetch(cursor);
        QCOMPARE(Members(fetched), QStringList({"4 transactions not logged while paused"}));
        QCOMPARE(calls, 3);
        QVERIFY(LinkLogFormat::Line(fetched[0].record)
                    .endsWith("  4 transactions not logged while paused"));
        // Nothing passed: nothing to say.
        buffer.setPaused(true);
        buffer.setPaused(false);
        QCOMPARE(buffer.size(), 4);
    }

    // The device thread records while the window thread fetches: every record arrives once, in
    // order, and a reader that keeps up loses none.
    void aReaderOnAnotherThreadSeesEveryRecordOnceInOrder() {
        constexpr int Count = 20000;
        LinkLogBuffer buffer(Count);
        LinkLogTap tap;
        const auto sink = std::shared_ptr<LinkLogBuffer>(&buffer, [](LinkLogBuffer*) {});
        tap.add(sink);
        std::unique_ptr<QThread> writer(QThread::create([&tap] {
            for (int i = 1; i <= Count; ++i) {
                LinkLogRecord record = Read(QStringLiteral("GROSS"));
                record.attempts = i;
                tap.publish(record);
            }
        }));
        writer->start();
        quint64 cursor = 0;
        int expected = 1;
        bool inOrder = true;
        while (!writer->isFinished() || cursor < Count) {
            for (const LinkLogBuffer::Entry& entry : buffer.fetch(cursor)) {
                inOrder = inOrder && entry.record.attempts == expected &&
                          entry.sequence == quint64(expected);
                ++expected;
            }
        }
        writer->wait();
        QVERIFY(inOrder);
        QCOMPARE(expected, Count + 1);
    }

    void aSinkHearsOnlyWhileInstalled() {
        LinkLogTap tap;
        QVERIFY(!tap.active());
        const auto buffer = std::make_shared<LinkLogBuffer>();
        {
            const LinkLogSubscription subscription(&tap, buffer);
            QVERIFY(tap.active());
            tap.publish(Read("A"));
        }
        QVERIFY(!tap.active());
        tap.publish(Read("B"));
        QCOMPARE(Members(buffer->entries()), QStringList({"A"}));
    }
};

QTEST_GUILESS_MAIN(TestLinkLogBuffer)
#include "tst_linklogbuffer.moc"
