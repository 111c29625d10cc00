// korva-devsim as the device: every function code byte for byte over its pseudo-terminal,
// the exceptions, the download records and what the device then holds, framing, and SW2.
#include "DevsimHarness.h"

#include <QJsonArray>
#include <QtTest>

using namespace devsimtest;

class tst_devsim : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void readsRegistersAndCoilsByteForByte_data();
    void readsRegistersAndCoilsByteForByte();
    void writesCom1SettingsAsTheDeviceTakesThem();
    void answersStandardExceptions_data();
    void answersStandardExceptions();
    void exceptionOptionRefusesEverything();
    void storesDownloadRecords();
    void refusesARecordBeyondTheModelsMemory_data();
    void refusesARecordBeyondTheModelsMemory();
    void framesEndByLengthOrSilence();
    void keepsSilentWhileSw2IsOff();
};

void tst_devsim::readsRegistersAndCoilsByteForByte_data() {
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QByteArray>("request");
    QTest::addColumn<QByteArray>("reply");
    const QStringList none;
    // The serial number's packing: the 4-register read gives d13d14 d15d16 d9..d12 d5..d8 d1..d4.
    QTest::newRow("serial number") << none << QByteArray::fromHex("f70400020004449f")
                                   << QByteArray::fromHex("f7040834127856214312 097c5a");
    QTest::newRow("model and firmware") << none << QByteArray::fromHex("f704000000 02655d")
                                        << QByteArray::fromHex("f70404410601 0219e7");
    QTest::newRow("other identity")
        << QStringList{"--model-id",       "0x4306",  "--firmware", "0x0A0B",  "--serial",
                       "9876543210123456", "--input", "7=0x1234",   "--input", "11=65535"}
        << Frame("f704 0000 000c")
        << Frame("f704 18 4306 0a0b 3456 1012 5432 9876 0000 1234 0000 0000 0000 ffff");
    QTest::newRow("holding registers")
        << QStringList{"--com1", "0xC3"} << QByteArray::fromHex("f7030080000310b5")
        << QByteArray::fromHex("f703060001 00c3ffffc29d");
    QTest::newRow("COM1 slave") << QStringList{"--com1-slave", "12"} << Frame("f703 0080 0001")
                                << Frame("f703 02 000c");
    QTest::newRow("all coils") << QStringList{"--coils", "0x8000000000000105"}
                               << QByteArray::fromHex("f7010000 0040296c")
                               << QByteArray::fromHex("f70108050100000000 0080f8c9");
    // Coils 3..12: coil 8 is bit 5 of the first byte.
    QTest::newRow("some coils") << QStringList{"--coils", "0x8000000000000105"}
                                << Frame("f701 0003 000a") << Frame("f701 02 20 00");
    QTest::newRow("other station")
        << QStringList{"--slave", "17"} << Frame("1104 0001 0001") << Frame("1104 02 0102");
}

void tst_devsim::readsRegistersAndCoilsByteForByte() {
    QFETCH(QStringList, args);
    QFETCH(QByteArray, request);
    QFETCH(QByteArray, reply);
    QCOMPARE(Crc("123456789"), quint16{0x4B37});
    Sim sim;
    QVERIFY2(sim.Start(args), qPrintable(sim.error));
    QCOMPARE(Hex(sim.Exchange(request)), Hex(reply));
    const QJsonObject counters = sim.State()["counters"].toObject();
    QCOMPARE(counters["framesReceived"].toInt(), 1);
    QCOMPARE(counters["framesAnswered"].toInt(), 1);
    QCOMPARE(sim.Stop(), 0);
}

void tst_devsim::writesCom1SettingsAsTheDeviceTakesThem() {
    Sim sim;
    QVERIFY2(sim.Start({}), qPrintable(sim.error));
    // Slave ID 12, odd parity with baud identifier 5.
    QCOMPARE(Hex(sim.Exchange(QByteArray::fromHex("f710008000020400 0c0085e7e4"))),
             Hex(QByteArray::fromHex("f7100080000254b6")));
    QCOMPARE(Hex(sim.Exchange(Frame("f703 0080 0002"))), Hex(Frame("f703 04 000c 0085")));
    // One register alone, and the device still answers at its own station address.
    QCOMPARE(Hex(sim.Exchange(Frame("f710 0081 0001 02 00c3"))), Hex(Frame("f710 0081 0001")));
    const QJsonObject state = sim.State();
    QCOMPARE(state["holdingRegisters"].toArray()[0].toInt(), 12);
    QCOMPARE(state["holdingRegisters"].toArray()[1].toInt(), 0xC3);
    QCOMPARE(state["identity"].toObject()["com1Setting"].toInt(), 0xC3);
    QCOMPARE(state["station"].toInt(), 247);
}

void tst_devsim::answersStandardExceptions_data() {
    QTest::addColumn<QByteArray>("request");
    QTest::addColumn<int>("code");
    const QByteArray digits = "30393132333435363738";
    QTest::newRow("write single register") << Frame("f706 0080 000c") << 1;
    QTest::newRow("write single coil") << Frame("f705 0000 ff00") << 1;
    QTest::newRow("unknown function, ends at silence") << Frame("f72b 0e01 00") << 1;
    QTest::newRow("unknown memory sub-code") << Frame("f750 41ff") << 1;
    QTest::newRow("input past 0x000B") << Frame("f704 000c 0001") << 2;
    QTest::newRow("input straddling the end") << Frame("f704 000b 0002") << 2;
    QTest::newRow("input count 0") << Frame("f704 0000 0000") << 3;
    QTest::newRow("input count 126") << Frame("f704 0000 007e") << 3;
    QTest::newRow("holding below 0x0080") << Frame("f703 007f 0001") << 2;
    QTest::newRow("holding past 0x0082") << Frame("f703 0080 0004") << 2;
    QTest::newRow("coil 64") << Frame("f701 0000 0041") << 2;
    QTest::newRow("coil count 0") << Frame("f701 0000 0000") << 3;
    QTest::newRow("project CRC is read-only") << Frame("f710 0082 0001 02 0000") << 2;
    QTest::newRow("byte count mismatch") << Frame("f710 0080 0002 02 000c") << 3;
    QTest::newRow("slave ID 0") << Frame("f710 0080 0001 02 0000") << 3;
    QTest::newRow("slave ID high byte") << Frame("f710 0080 0001 02 010c") << 3;
    QTest::newRow("parity bits 01") << Frame("f710 0081 0001 02 0043") << 3;
    QTest::newRow("clear without 0xFF") << Frame("f750 4000") << 3;
    QTest::newRow("phonebook k twice differs") << Frame("f750 4301 0e00 010a 02 " + digits) << 3;
    QTest::newRow("phonebook length byte") << Frame("f750 4301 0d00 010a 01 " + digits) << 3;
    QTest::newRow("phonebook record 0") << Frame("f750 4300 0e00 010a 00 " + digits) << 2;
    QTest::newRow("message code 129") << Frame("f750 5381 0a40 0006 00 414243444546") << 2;
    QTest::newRow("message byte 9") << Frame("f750 5301 0a40 0006 01 414243444546") << 3;
    QTest::newRow("odd UTF-16 length") << Frame("f750 5301 0941 0005 00 0041004200") << 3;
}

void tst_devsim::answersStandardExceptions() {
    QFETCH(QByteArray, request);
    QFETCH(int, code);
    Sim sim;
    QVERIFY2(sim.Start({}), qPrintable(sim.error));
    const QJsonObject before = sim.State();
    QByteArray expected;
    expected.append(request[0])
        .append(static_cast<char>(request[1] | 0x80))
        .append(static_cast<char>(code));
    QCOMPARE(Hex(sim.Exchange(request)), Hex(Frame(expected.toHex().constData())));
    // A refused request changes nothing.
    QJsonObject after = sim.State();
    QCOMPARE(after["counters"].toObject()["exceptions"].toInt(), 1);
    after.remove("counters");
    QJsonObject was = before;
    was.remove("counters");
    QCOMPARE(after, was);
}

void tst_devsim::exceptionOptionRefusesEverything() {
    Sim sim;
    QVERIFY2(sim.Start({"--exception", "4"}), qPrintable(sim.error));
    QCOMPARE(Hex(sim.Exchange(Frame("f704 0000 0001"))), Hex(Frame("f784 04")));
    QCOMPARE(Hex(sim.Exchange(Frame("f710 0080 0001 02 0005"))), Hex(Frame("f790 04")));
    QCOMPARE(Hex(sim.Exchange(Frame("f750 4301 0600 0102 01 3132"))), Hex(Frame("f7d0 04")));
    const QJsonObject state = sim.State();
    QCOMPARE(state["holdingRegisters"].toArray()[0].toInt(), 1); // the write was not carried out
    QCOMPARE(state["phonebook"].toArray().size(), 0);
}

void tst_devsim::storesDownloadRecords() {
    Sim sim;
    QVERIFY2(sim.Start({}), qPrintable(sim.error));
    const int emptyCrc = 0xFFFF;
    QCOMPARE(sim.State()["identity"].toObject()["projectCrc"].toInt(), emptyCrc);

    QCOMPARE(Hex(sim.Exchange(QByteArray::fromHex("f75040ff43c1"))),
             Hex(QByteArray::fromHex("f75040ff43c1")));
    QCOMPARE(Hex(sim.Exchange(QByteArray::fromHex("f75050ff4e01"))),
             Hex(QByteArray::fromHex("f75050ff4e01")));
    // Phonebook: k = 1, group 1, "0912345678"; k = 2 disabled, group 3, "5551234".
    const QByteArray pb1 = QByteArray::fromHex("f750 4301 0e00 010a 01 30393132333435363738");
    const QByteArray pb2 = QByteArray::fromHex("f750 4302 0b80 0307 02 35353531323334");
    QCOMPARE(Hex(sim.Exchange(QByteArray::fromHex("f75043010e00010a01 30393132333435363738c013"))),
             Hex(Frame("f750 4301")));
    QCOMPARE(Hex(sim.Exchange(Frame(pb2.toHex().constData()))), Hex(Frame("f750 4302")));
    // Messages: zone 0 alarm in UTF-16 ("簡訊A", group 1); zone 1 reset in Big5 ("簡訊", all
    // groups).
    const QByteArray sm1 = QByteArray::fromHex("f750 5301 0a41 0106 00 7c218a0a0041");
    const QByteArray sm2 = QByteArray::fromHex("f750 5342 08c0 0004 00 c2b2b054");
    QCOMPARE(Hex(sim.Exchange(QByteArray::fromHex("f75053010a41010600 7c218a0a00411d5b"))),
             Hex(Frame("f750 5301")));
    QCOMPARE(Hex(sim.Exchange(Frame(sm2.toHex().constData()))), Hex(Frame("f750 5342")));

    QJsonObject state = sim.State();
    const QJsonArray phonebook = state["phonebook"].toArray();
    QCOMPARE(phonebook.size(), 2);
    QCOMPARE(phonebook[0]["index"].toInt(), 1);
    QCOMPARE(phonebook[0]["number"].toString(), QString("0912345678"));
    QCOMPARE(phonebook[0]["group"].toInt(), 1);
    QCOMPARE(phonebook[0]["disabled"].toBool(), false);
    QCOMPARE(phonebook[0]["record"].toString().toLatin1(), pb1.toHex());
    QCOMPARE(phonebook[1]["number"].toString(), QString("5551234"));
    QCOMPARE(phonebook[1]["group"].toInt(), 3);
    QCOMPARE(phonebook[1]["disabled"].toBool(), true);
    const QJsonArray messages = state["shortMessages"].toArray();
    QCOMPARE(messages.size(), 2);
    QCOMPARE(messages[0]["text"].toString(), QString::fromUtf8("簡訊A"));
    QCOMPARE(messages[0]["zone"].toInt(), 0);
    QCOMPARE(messages[0]["kind"].toString(), QString("alarm"));
    QCOMPARE(messages[0]["unicode"].toBool(), true);
    QCOMPARE(messages[0]["group"].toInt(), 1);
    QCOMPARE(messages[1]["text"].toString(), QString::fromUtf8("簡訊"));
    QCOMPARE(messages[1]["zone"].toInt(), 1);
    QCOMPARE(messages[1]["kind"].toString(), QString("reset"));
    QCOMPARE(messages[1]["disabled"].toBool(), true);
    QCOMPARE(messages[1]["unicode"].toBool(), false);
    QCOMPARE(messages[1]["textBytes"].toString(), QString("c2b2b054"));
    QCOMPARE(messages[1]["record"].toString().toLatin1(), sm2.toHex());
    QCOMPARE(state["memoryUsed"].toInt(), (10 + 4) + (7 + 4) + (6 + 4) + (4 + 4));
    // The project check code covers the records as received, phonebook first.
    QCOMPARE(state["identity"].toObject()["projectCrc"].toInt(), int{Crc(pb1 + pb2 + sm1 + sm2)});
    QCOMPARE(state["holdingRegisters"].toArray()[2].toInt(), int{Crc(pb1 + pb2 + sm1 + sm2)});

    // A record written again replaces the old one; a clear empties only its own area.
    QCOMPARE(Hex(sim.Exchange(Frame("f750 4301 0700 0003 01 313233"))), Hex(Frame("f750 4301")));
    state = sim.State();
    QCOMPARE(state["phonebook"].toArray().at(0)["number"].toString(), QString("123"));
    QCOMPARE(state["phonebook"].toArray().size(), 2);
    sim.Exchange(Frame("f750 40ff"));
    state = sim.State();
    QCOMPARE(state["phonebook"].toArray().size(), 0);
    QCOMPARE(state["shortMessages"].toArray().size(), 2);
    QCOMPARE(state["phonebookClears"].toInt(), 2);
    QCOMPARE(state["shortMessageClears"].toInt(), 1);
    QCOMPARE(state["identity"].toObject()["projectCrc"].toInt(), int{Crc(sm1 + sm2)});
}

void tst_devsim::refusesARecordBeyondTheModelsMemory_data() {
    QTest::addColumn<QString>("modelId");
    QTest::addColumn<int>("limit");
    QTest::newRow("64-zone model") << "0x4006" << 8192;
    QTest::newRow("128-zone model") << "0x4106" << 16384;
    QTest::newRow("VX800 model") << "0x4510" << 16384;
}

void tst_devsim::refusesARecordBeyondTheModelsMemory() {
    QFETCH(QString, modelId);
    QFETCH(int, limit);
    Sim sim;
    QVERIFY2(sim.Start({"--model-id", modelId}), qPrintable(sim.error));
    // A message record of n text bytes takes n + 4.
    auto message = [](int code, int n, char fill) {
        QByteArray head;
        head.append(char(0xF7)).append(char(0x50)).append(char(0x53)).append(char(code));
        head.append(char((n + 4) & 0xFF))
            .append(char(0x40))
            .append(char(0))
            .append(char(n))
            .append(char(0));
        return Frame((head + QByteArray(n, fill)).toHex());
    };
    auto ack = [](int code) {
        return Frame(QByteArray("f75053") + QByteArray::number(code, 16).rightJustified(2, '0'));
    };
    int used = 0, code = 1;
    // Full records while a whole one fits, then one that fills the memory to its last byte.
    for (; limit - used >= 2 * 259; ++code, used += 259)
        QCOMPARE(Hex(sim.Exchange(message(code, 255, 'A'))), Hex(ack(code)));
    const int last = limit - used - 4 - 259;
    QCOMPARE(Hex(sim.Exchange(message(code, 255, 'A'))), Hex(ack(code)));
    ++code;
    QCOMPARE(Hex(sim.Exchange(message(code, last, 'B'))), Hex(ack(code)));
    QCOMPARE(sim.State()["memoryUsed"].toInt(), limit);
    // One byte more is refused, phonebook or message; a record of the same size may replace one.
    QCOMPARE(Hex(sim.Exchange(message(code + 1, 0, 'C'))), Hex(Frame("f7d0 02")));
    QCOMPARE(Hex(sim.Exchange(Frame("f750 4301 0500 0001 01 31"))), Hex(Frame("f7d0 02")));
    QCOMPARE(Hex(sim.Exchange(message(code, last + 1, 'C'))), Hex(Frame("f7d0 02")));
    QCOMPARE(Hex(sim.Exchange(message(code, last, 'D'))), Hex(ack(code)));
    QJsonObject state = sim.State();
    QCOMPARE(state["memoryUsed"].toInt(), limit);
    QCOMPARE(state["memoryLimit"].toInt(), limit);
    QCOMPARE(state["phonebook"].toArray().size(), 0);
    QCOMPARE(state["shortMessages"].toArray().size(), code);
    QCOMPARE(state["shortMessages"].toArray().last()["textBytes"].toString().toLatin1(),
             QByteArray(last, 'D').toHex());
    // After a clear of the messages the phonebook record fits.
    sim.Exchange(Frame("f750 50ff"));
    QCOMPARE(Hex(sim.Exchange(Frame("f750 4301 0500 0001 01 31"))), Hex(Frame("f750 4301")));
    QCOMPARE(sim.State()["memoryUsed"].toInt(), 5);
}

void tst_devsim::framesEndByLengthOrSilence() {
    Sim sim;
    QVERIFY2(sim.Start({}), qPrintable(sim.error));
    const QByteArray read = Frame("f704 0001 0001"), reply = Frame("f704 02 0102");
    // Two requests in one write: each is complete by its length.
    sim.Write(read + read);
    QByteArray lines;
    for (int i = 0; i < 4; ++i)
        lines += sim.NextLogLine().left(2);
    QCOMPARE(lines.count("RX"), 2);
    QCOMPARE(lines.count("TX"), 2);
    QCOMPARE(Hex(sim.Drain(1000)), Hex(reply + reply));
    // Half a request, then silence: discarded; the rest alone is no frame either.
    sim.Write(read.first(3));
    QVERIFY(sim.NextLogLine().contains("discarded"));
    QCOMPARE(sim.Exchange(read.sliced(3)), QByteArray());
    // A stray byte before a request spoils it; the line recovers after the silence.
    QCOMPARE(sim.Exchange(QByteArray(1, '\xf7') + read), QByteArray());
    QCOMPARE(Hex(sim.Exchange(read)), Hex(reply));
    // Wrong check code and another station's request get no reply.
    QByteArray bad = read;
    bad[7] = static_cast<char>(bad[7] ^ 1);
    QCOMPARE(sim.Exchange(bad), QByteArray());
    QThread::msleep(20); // input is dropped until the line falls silent
    QCOMPARE(sim.Exchange(Frame("0104 0001 0001")), QByteArray());
    const QJsonObject c = sim.State()["counters"].toObject();
    QCOMPARE(c["framesReceived"].toInt(), 3);
    QCOMPARE(c["framesAnswered"].toInt(), 3);
    QCOMPARE(c["framesOtherStation"].toInt(), 1);
    QCOMPARE(c["badFrames"].toInt(), 4);
}

void tst_devsim::keepsSilentWhileSw2IsOff() {
    Sim sim;
    QVERIFY2(sim.Start({"--sw2", "off"}), qPrintable(sim.error));
    const QByteArray read = Frame("f701 0000 0040");
    QCOMPARE(sim.Exchange(read), QByteArray());
    QCOMPARE(sim.Exchange(Frame("f750 40ff")), QByteArray());
    sim.Control("sw2 on");
    QCOMPARE(sim.Exchange(read).size(), 13);
    sim.Control("sw2 off");
    QCOMPARE(sim.Exchange(read), QByteArray());
    const QJsonObject state = sim.State();
    QCOMPARE(state["sw2"].toBool(), false);
    QCOMPARE(state["phonebookClears"].toInt(), 0); // not carried out while silent
    QCOMPARE(state["counters"].toObject()["framesReceived"].toInt(), 4);
    QCOMPARE(state["counters"].toObject()["framesSilent"].toInt(), 3);
    QCOMPARE(state["counters"].toObject()["bytesOut"].toInt(), 13);
}

QTEST_GUILESS_MAIN(tst_devsim)
#include "tst_devsim.moc"
