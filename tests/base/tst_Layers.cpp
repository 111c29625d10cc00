// Every #include under src/ points down (or sideways) in the layer order; none points up.
#include <QDirIterator>
#include <QFile>
#include <QRegularExpression>
#include <QTest>

namespace {
// Bottom first; a folder may include its own files and those of the folders before it.
const QStringList kLayers = {QStringLiteral("base"),       QStringLiteral("db"),
                             QStringLiteral("ml"),         QStringLiteral("store"),
                             QStringLiteral("editing"),    QStringLiteral("device"),
                             QStringLiteral("mainwindow"), QStringLiteral("app")};

// The upward edge an include line makes from a file of layer `from`, or an empty text.
QString UpwardEdge(const QString& from, const QString& line) {
    static const QRegularExpression include(
        QStringLiteral("^\\s*#\\s*include\\s*\"(\\w+)/[^\"]+\""));
    const QRegularExpressionMatch m = include.match(line);
    if (!m.hasMatch()) return {};
    const qsizetype to = kLayers.indexOf(m.captured(1));
    if (to < 0) return QStringLiteral("names no layer: ") + m.captured(1);
    return to > kLayers.indexOf(from) ? from + QStringLiteral(" -> ") + m.captured(1) : QString();
}
} // namespace

class TestLayers : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void edge_data() {
        QTest::addColumn<QString>("from");
        QTest::addColumn<QString>("line");
        QTest::addColumn<bool>("upward");
        QTest::newRow("same layer") << "editing"
                                    << "#include \"editing/KORVAUtil.h\"" << false;
        QTest::newRow("down") << "mainwindow"
                              << "#include \"store/KORVAMain.h\"" << false;
        QTest::newRow("up one") << "store"
                                << "#include \"editing/EditForms.h\"" << true;
        QTest::newRow("up to the top") << "base"
                                       << "  # include \"app/AppContext.h\"" << true;
        QTest::newRow("unknown folder") << "db"
                                        << "#include \"gui/X.h\"" << true;
        QTest::newRow("generated, no folder") << "ml"
                                              << "#include \"ui_frmKeyInString.h\"" << false;
        QTest::newRow("system header") << "base"
                                       << "#include <QString>" << false;
    }
    void edge() {
        QFETCH(QString, from);
        QFETCH(QString, line);
        QFETCH(bool, upward);
        QCOMPARE(!UpwardEdge(from, line).isEmpty(), upward);
    }

    void noIncludePointsUp() {
        const QString src = QStringLiteral(KORVA_SOURCE_DIR "/src");
        QStringList found;
        int files = 0;
        QDirIterator it(src, {QStringLiteral("*.h"), QStringLiteral("*.cpp")}, QDir::Files,
                        QDirIterator::Subdirectories);
        while (it.hasNext()) {
            const QString path = it.next();
            const QString rel = path.mid(src.size() + 1);
            if (!rel.contains(u'/')) continue; // main.cpp: the executable, above every layer
            const QString layer = rel.section(u'/', 0, 0);
            if (!kLayers.contains(layer)) {
                found << rel + QStringLiteral(": a folder that is no layer");
                continue;
            }
            QFile f(path);
            QVERIFY(f.open(QIODevice::ReadOnly | QIODevice::Text));
            ++files;
            int n = 0;
            while (!f.atEnd()) {
                ++n;
                const QString edge = UpwardEdge(layer, QString::fromUtf8(f.readLine()));
                if (!edge.isEmpty()) found << QStringLiteral("%1:%2: %3").arg(rel).arg(n).arg(edge);
            }
        }
        QVERIFY(files > 50);
        QVERIFY2(found.isEmpty(), qPrintable(found.join(u'\n')));
    }
};

QTEST_GUILESS_MAIN(TestLayers)
#include "tst_Layers.moc"
