// Every text the code looks up has its row in the shipped text database, with the program's
// own Traditional Chinese text and an English translation: an English user never meets a
// half-Chinese window.
#include "ScriptedUi.h"
#include "TestEnv.h"
#include "db/ADOUtil.h"
#include "ml/FormTexts.h"

#include <QDirIterator>
#include <QRegularExpression>
#include <QtTest>

using namespace ADOUtil;

namespace {
QString Unescape(const QString& s) {
    QString out;
    for (qsizetype i = 0; i < s.size(); ++i) {
        if (s[i] == u'\\' && i + 1 < s.size()) {
            const QChar n = s[++i];
            out += n == u'r'   ? QChar(u'\r')
                   : n == u'n' ? QChar(u'\n')
                   : n == u't' ? QChar(u'\t')
                               : n;
        } else {
            out += s[i];
        }
    }
    return out;
}

struct Lookup {
    QString file;
    QString text;
    int index;
    int number;
    QString module;
};
} // namespace

class TestTextCoverage : public QObject {
    Q_OBJECT
    ScriptedUi m_ui;
    std::unique_ptr<Connection> m_conn;

private Q_SLOTS:
    void initTestCase() {
        m_conn = OpenMDBConn(m_ui, TestEnv::StagedBin() + QStringLiteral("/KORVA.ml"), {}, {});
        QVERIFY(m_conn);
    }

    void everyMessageLookupHasItsRow() {
        // GetMLText(<ml>, QStringLiteral("text"), index, number, QStringLiteral("Module")); a long
        // text may be split into adjacent literals over several lines.
        static const QRegularExpression call(QStringLiteral(
            "GetMLText\\(\\s*[\\w.\\->]+\\s*,\\s*QStringLiteral\\(\\s*((?:\"(?:[^\"\\\\]|\\\\.)*"
            "\"\\s*)+)\\)\\s*"
            ",\\s*(\\d+)\\s*,\\s*(\\d+)\\s*,\\s*QStringLiteral\\(\"(\\w+)\"\\)\\s*\\)"));
        static const QRegularExpression piece(QStringLiteral("\"((?:[^\"\\\\]|\\\\.)*)\""));
        const auto joined = [](const QString& literals) {
            QString text;
            for (auto m = piece.globalMatch(literals); m.hasNext();)
                text += m.next().captured(1);
            return text;
        };
        static const QRegularExpression any(QStringLiteral("\\bGetMLText\\("));
        // A module's helper: MLText T{<ml>, QStringLiteral("Module")}; then
        // T(QStringLiteral("text"), index, number).
        static const QRegularExpression helper(
            QStringLiteral("\\bMLText\\s+(\\w+)\\s*\\{\\s*[\\w.\\->]+\\s*,\\s*QStringLiteral\\(\"("
                           "\\w+)\"\\)\\s*\\}"));
        static const QRegularExpression anyHelper(QStringLiteral("\\bMLText\\s+\\w+\\s*\\{"));
        QList<Lookup> lookups;
        QStringList unreadable;
        QDirIterator it(TestEnv::SourceDir() + QStringLiteral("/src"), {"*.cpp", "*.h"},
                        QDir::Files, QDirIterator::Subdirectories);
        while (it.hasNext()) {
            const QString path = it.next();
            if (path.contains(QLatin1String("/ml/MLUtil.")) ||
                path.endsWith(QLatin1String("/ml/MLText.h")))
                continue; // the definitions themselves
            const QString code = QString::fromUtf8(TestEnv::ReadFile(path));
            qsizetype matched = 0;
            for (auto m = call.globalMatch(code); m.hasNext();) {
                const auto hit = m.next();
                lookups.append({path, Unescape(joined(hit.captured(1))), hit.captured(2).toInt(),
                                hit.captured(3).toInt(), hit.captured(4)});
                ++matched;
            }
            qsizetype all = code.count(any);
            QHash<QString, QString> modules; // helper name -> module
            qsizetype declared = 0;
            for (auto m = helper.globalMatch(code); m.hasNext(); ++declared) {
                const auto hit = m.next();
                if (modules.value(hit.captured(1), hit.captured(2)) != hit.captured(2))
                    unreadable << path + QStringLiteral(": helper ") + hit.captured(1) +
                                      QStringLiteral(" names two modules");
                modules.insert(hit.captured(1), hit.captured(2));
            }
            if (code.count(anyHelper) != declared)
                unreadable << path + QStringLiteral(": an MLText helper not in the literal form");
            for (auto mod = modules.cbegin(); mod != modules.cend(); ++mod) {
                const QRegularExpression use(QStringLiteral("(?<![\\w.>])") + mod.key() +
                                             QStringLiteral("\\("));
                const QRegularExpression lookup(
                    QStringLiteral("(?<![\\w.>])") + mod.key() +
                    QStringLiteral("\\(\\s*QStringLiteral\\(\\s*((?:\"(?:[^\"\\\\]|\\\\.)*\"\\s*)+)"
                                   "\\)\\s*,\\s*(\\d+)\\s*,\\s*(\\d+)\\s*\\)"));
                for (auto m = lookup.globalMatch(code); m.hasNext();) {
                    const auto hit = m.next();
                    lookups.append({path, Unescape(joined(hit.captured(1))),
                                    hit.captured(2).toInt(), hit.captured(3).toInt(), mod.value()});
                    ++matched;
                }
                all += code.count(use);
            }
            if (all != matched)
                unreadable << QStringLiteral("%1: %2 of %3 lookups are not in the literal form")
                                  .arg(path)
                                  .arg(all - matched)
                                  .arg(all);
        }
        QVERIFY2(unreadable.isEmpty(), qPrintable(unreadable.join(u'\n')));
        QVERIFY(!lookups.isEmpty());

        QStringList problems;
        for (const Lookup& l : lookups) {
            auto rs = OpenRecordset(
                m_conn.get(),
                QStringLiteral(
                    "SELECT * FROM Text WHERE ModuleName=? AND ID=? AND Seq=? AND NOT IsDisable"),
                false, {l.module, l.number, l.index});
            const QString where = QStringLiteral("%1 %2/%3 (%4)")
                                      .arg(l.module)
                                      .arg(l.number)
                                      .arg(l.index)
                                      .arg(l.file);
            if (!rs || rs->Eof()) {
                problems << QStringLiteral("no row: ") + where;
                continue;
            }
            if (NullToStr(rs->Field(QStringLiteral("ChineseBig5"))) != l.text)
                problems << QStringLiteral("Chinese text differs from the code's: ") + where +
                                QStringLiteral(" code=[") + l.text + QStringLiteral("] table=[") +
                                NullToStr(rs->Field(QStringLiteral("ChineseBig5"))) + u']';
            if (NullToStr(rs->Field(QStringLiteral("English"))).trimmed().isEmpty())
                problems << QStringLiteral("no English: ") + where;
        }
        QVERIFY2(problems.isEmpty(), qPrintable(problems.join(u'\n')));
    }

    void everyWindowTextHasItsRow() {
        QStringList problems;
        int checked = 0;
        for (const QString& form : FormTexts::Forms()) {
            for (const FormTextItem& item : FormTexts::ItemsOf(form)) {
                auto rs = OpenRecordset(
                    m_conn.get(),
                    QStringLiteral(
                        "SELECT * FROM Form WHERE FormName=? AND Objectpath=? AND PropertyName=?"),
                    false, {form, item.objectPath, item.propertyName});
                const QString where = form + u' ' + item.objectPath + u' ' + item.propertyName;
                ++checked;
                if (!rs || rs->Eof()) {
                    problems << QStringLiteral("no row: ") + where;
                    continue;
                }
                if (NullToStr(rs->Field(QStringLiteral("ChineseBig5"))).isEmpty())
                    problems << QStringLiteral("no Chinese: ") + where;
                if (NullToStr(rs->Field(QStringLiteral("English"))).trimmed().isEmpty())
                    problems << QStringLiteral("no English: ") + where;
            }
        }
        QVERIFY(checked > 0);
        QVERIFY2(problems.isEmpty(), qPrintable(problems.join(u'\n')));
    }

    void rowsAreUnique() {
        auto dupText = OpenRecordset(m_conn.get(),
                                     QStringLiteral("SELECT ModuleName, ID, Seq FROM Text GROUP BY "
                                                    "ModuleName, ID, Seq HAVING count(*) > 1"));
        QVERIFY(dupText);
        QVERIFY2(dupText->Eof(),
                 qPrintable(NullToStr(dupText->Field(QStringLiteral("ModuleName")))));
        auto dupForm = OpenRecordset(
            m_conn.get(), QStringLiteral("SELECT FormName, Objectpath FROM Form GROUP BY FormName, "
                                         "Objectpath, PropertyName HAVING count(*) > 1"));
        QVERIFY(dupForm);
        QVERIFY2(dupForm->Eof(),
                 qPrintable(NullToStr(dupForm->Field(QStringLiteral("Objectpath")))));
    }
};

QTEST_GUILESS_MAIN(TestTextCoverage)
#include "tst_TextCoverage.moc"
