#include "ml/MLUtil.h"

#include "base/AppInfo.h"
#include "base/Ui.h"
#include "base/VBUtil.h"
#include "db/ADOUtil.h"
#include "db/FileUtil.h"

#include <QDir>
#include <QHash>

namespace MLUtil {

int LocaleIdOf(const QLocale& locale) {
    if (locale.language() != QLocale::Chinese) return kLcidEnglish;
    if (locale.script() == QLocale::TraditionalChineseScript) return kLcidTraditional;
    if (locale.script() == QLocale::SimplifiedChineseScript) return kLcidSimplified;
    switch (locale.territory()) {
    case QLocale::Taiwan:
    case QLocale::HongKong:
    case QLocale::Macao:
        return kLcidTraditional;
    default:
        return kLcidSimplified;
    }
}

QString ResolveLanguage(const QString& appliedName, int localeId) {
    if (!appliedName.isEmpty() &&
        appliedName.compare(QLatin1String("AUTO"), Qt::CaseInsensitive) != 0)
        return appliedName;
    switch (localeId) {
    case kLcidTraditional:
        return QStringLiteral("ChineseBig5");
    case kLcidSimplified:
        return QStringLiteral("ChineseGB");
    default:
        return QStringLiteral("English");
    }
}

const QStringList& LanguageNames() {
    static const QStringList names{QStringLiteral("AUTO"), QStringLiteral("ChineseBig5"),
                                   QStringLiteral("ChineseGB"), QStringLiteral("English")};
    return names;
}

QString LanguageName(const QString& name) {
    for (const QString& n : LanguageNames())
        if (n.compare(name, Qt::CaseInsensitive) == 0) return n;
    return {};
}

MLState MessagesIn(const MLState& ml, const QString& appliedName) {
    MLState other;
    other.OriginalLangName = ml.OriginalLangName;
    other.AppliedLangName = appliedName;
    other.AppliedLang = ResolveLanguage(appliedName, ml.LocaleId);
    other.AlternateLangName = ml.AlternateLangName;
    other.LocaleId = ml.LocaleId;
    LoadTextTable(other, ml.conn.get());
    return other;
}

QString DefaultTextDbPath() {
    return QDir::current().absoluteFilePath(AppTitle() + QStringLiteral(".ml"));
}

bool MLInit(MLState& ml, Ui& ui, const QString& settingsPathIn, const QString& textDbPathIn,
            int localeId) {
    const QString settingsPath = settingsPathIn.isEmpty() ? DefaultSettingsPath() : settingsPathIn;
    if (!FileUtil::FileExists(settingsPath)) {
        ui.MsgBox(QStringLiteral("ML system failed!\r\nFile [") + settingsPath +
                      QStringLiteral("] not exist."),
                  vbOKOnly | vbCritical, QStringLiteral("ML system failed"));
        return false;
    }
    using VBUtil::IniGet;
    const QString text = FileUtil::ReadTextFile(settingsPath);
    const QString ML = QStringLiteral("ML");
    ml.OriginalLangName = IniGet(ML, QStringLiteral("OriginalLangName"), QString(), text);
    ml.AppliedLangName = IniGet(ML, QStringLiteral("AppliedLangName"), QString(), text);
    ml.AlternateLangName = IniGet(ML, QStringLiteral("AlternateLangName"), QString(), text);
    ml.IsFormDisable =
        VBUtil::ToWhole16(IniGet(ML, QStringLiteral("IsFormDisable"), QStringLiteral("0"), text));
    ml.IsTextDisable =
        VBUtil::ToWhole16(IniGet(ML, QStringLiteral("IsTextDisable"), QStringLiteral("0"), text));
    ml.LocaleId = localeId;
    ml.AppliedLang = ResolveLanguage(ml.AppliedLangName, localeId);

    const QString dbPath = textDbPathIn.isEmpty() ? DefaultTextDbPath() : textDbPathIn;
    if (!FileUtil::FileExists(dbPath)) {
        ui.MsgBox(QStringLiteral("ML System Error! \r\nFile [") + dbPath +
                      QStringLiteral("] not found."),
                  vbOKOnly | vbCritical, QStringLiteral("ML System Error"));
        return false;
    }
    ml.conn = ADOUtil::OpenMDBConn(ui, dbPath, QString(), QString());
    ml.everyLanguage.reset();
    LoadTextTable(ml);
    LoadFormTable(ml);
    return true;
}

void MLClose(MLState& ml) {
    if (ml.conn) ml.conn->Close();
    ml.conn.reset();
    ml.everyLanguage.reset();
}

void LoadTextTable(MLState& ml) {
    LoadTextTable(ml, ml.conn.get());
}

namespace {
// One query for a whole table: its rows grouped by the exact text of the name column, and
// the names in the query's order. A name is looked up trimmed, as its own query once did.
struct Grouped {
    QStringList names;                   // distinct, in order
    QHash<QString, QVector<int>> rowsOf; // exact name -> row positions, in order
    std::unique_ptr<RowSet> rows;
};

Grouped ReadGrouped(Connection* conn, const QString& sql, const QString& nameField) {
    Grouped g;
    g.rows = ADOUtil::OpenRecordset(conn, sql);
    if (!g.rows) return g;
    int at = 0;
    for (g.rows->MoveFirst(); !g.rows->Eof(); g.rows->MoveNext(), ++at) {
        const QString name = ADOUtil::NullToStr(g.rows->Field(nameField));
        auto it = g.rowsOf.find(name);
        if (it == g.rowsOf.end()) {
            g.names << name;
            it = g.rowsOf.insert(name, {});
        }
        it->append(at);
    }
    return g;
}

quint64 TextKey(int id, int seq) {
    return quint64(quint32(id)) << 32 | quint32(seq);
}
} // namespace

void LoadTextTable(MLState& ml, Connection* conn) {
    ml.modules.clear();
    ml.textIndex.clear();
    if (ml.OriginalLangName == ml.AppliedLang || !conn) return;
    const QString moduleName = QStringLiteral("ModuleName");
    Grouped g = ReadGrouped(conn,
                            QStringLiteral("SELECT * FROM [Text] WHERE NOT [IsDisable] "
                                           "ORDER BY [ModuleName], ID, Seq;"),
                            moduleName);
    RowSet* rows = g.rows.get();
    for (const QString& exact : std::as_const(g.names)) {
        const QString name = exact.trimmed();
        if (name.isEmpty()) continue;
        const auto positions = g.rowsOf.constFind(name);
        if (positions == g.rowsOf.constEnd()) continue;
        MLModule module;
        module.name = name;
        for (const int at : *positions) {
            rows->SetAbsolutePosition(at + 1);
            if (rows->Field(QStringLiteral("IsDisable")).toBool()) continue;
            const QString original = ADOUtil::NullToStr(rows->Field(ml.OriginalLangName));
            const QString applied = ADOUtil::NullToStr(rows->Field(ml.AppliedLang));
            if (original.isEmpty() || applied.isEmpty()) continue;
            module.entries.append({rows->Field(QStringLiteral("ID")).toInt(),
                                   rows->Field(QStringLiteral("Seq")).toInt(), original, applied});
        }
        ml.modules.append(std::move(module));
    }
    for (const MLModule& m : std::as_const(ml.modules)) {
        if (ml.textIndex.contains(m.name)) continue;
        QHash<quint64, QString>& texts = ml.textIndex[m.name];
        for (const MLTextEntry& e : m.entries) {
            const quint64 key = TextKey(e.id, e.seq);
            if (!texts.contains(key)) texts.insert(key, e.applied);
        }
    }
}

void LoadFormTable(MLState& ml) {
    ml.forms.clear();
    if (!ml.conn) return;
    Grouped g = ReadGrouped(ml.conn.get(),
                            QStringLiteral("SELECT * FROM [Form] ORDER BY [FormName], rowid;"),
                            QStringLiteral("FormName"));
    RowSet* rows = g.rows.get();
    for (const QString& exact : std::as_const(g.names)) {
        const QString name = exact.trimmed();
        if (name.isEmpty()) continue;
        const auto positions = g.rowsOf.constFind(name);
        if (positions == g.rowsOf.constEnd()) continue;
        MLForm form;
        form.name = name;
        for (const int at : *positions) {
            rows->SetAbsolutePosition(at + 1);
            const QString original = ADOUtil::NullToStr(rows->Field(ml.OriginalLangName));
            QString applied = ADOUtil::NullToStr(rows->Field(ml.AppliedLang));
            if (applied.isEmpty()) applied = ADOUtil::NullToStr(rows->Field(ml.AlternateLangName));
            if (applied.isEmpty()) applied = original;
            if (original.isEmpty() || applied.isEmpty()) continue;
            form.entries.append({ADOUtil::NullToStr(rows->Field(QStringLiteral("Objectpath"))),
                                 ADOUtil::NullToStr(rows->Field(QStringLiteral("PropertyName"))),
                                 original, applied});
        }
        ml.forms.append(std::move(form));
    }
}

QStringList TextsInEveryLanguage(const MLState& ml, int index, int messageNo,
                                 const QString& moduleKey) {
    if (!ml.conn) return {};
    if (!ml.everyLanguage) {
        // One read of the table, in its stored order, as the rows of one text would come.
        auto all = std::make_shared<QHash<QString, QHash<quint64, QStringList>>>();
        auto rows = ADOUtil::OpenRecordset(ml.conn.get(), QStringLiteral("SELECT * FROM [Text];"));
        for (; rows && !rows->Eof(); rows->MoveNext()) {
            QStringList& texts =
                (*all)[ADOUtil::NullToStr(rows->Field(QStringLiteral("ModuleName")))]
                      [TextKey(rows->Field(QStringLiteral("ID")).toInt(),
                               rows->Field(QStringLiteral("Seq")).toInt())];
            for (const char* column : {"ChineseBig5", "ChineseGB", "English"}) {
                const QString text = ADOUtil::NullToStr(rows->Field(QString::fromLatin1(column)));
                if (!text.isEmpty() && !texts.contains(text)) texts << text;
            }
        }
        ml.everyLanguage = std::move(all);
    }
    const auto module = ml.everyLanguage->constFind(moduleKey);
    return module == ml.everyLanguage->constEnd() ? QStringList()
                                                  : module->value(TextKey(messageNo, index));
}

} // namespace MLUtil

QString GetMLText(const MLState& ml, const QString& defaultText, int index, int messageNo,
                  const QString& moduleKey) {
    if (ml.OriginalLangName == ml.AppliedLang) return defaultText;
    const auto module = ml.textIndex.constFind(moduleKey);
    if (module == ml.textIndex.constEnd()) return defaultText;
    const auto text = module->constFind(MLUtil::TextKey(messageNo, index));
    return text == module->constEnd() ? defaultText : *text;
}

QString GetFormText(const MLState& ml, const QString& formName, const QString& objectPath,
                    const QString& propertyName) {
    for (const MLForm& f : ml.forms) {
        if (f.name != formName) continue;
        for (const MLFormEntry& e : f.entries)
            if (e.objectPath == objectPath && e.propertyName == propertyName) return e.applied;
        break;
    }
    return {};
}
