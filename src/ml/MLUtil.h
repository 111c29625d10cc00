#pragma once
// Multi-language text: every message and window text looked up by module (or window), number
// and index, with the program's own Traditional Chinese text as the fallback.
#include "db/Connection.h"

#include <QHash>
#include <QLocale>
#include <QString>
#include <QStringList>
#include <QVector>
#include <memory>

class Ui;

struct MLTextEntry {
    int id = 0;
    int seq = 0;
    QString original;
    QString applied;
};
struct MLModule {
    QString name;
    QVector<MLTextEntry> entries; // ascending (id, seq)
};
struct MLFormEntry {
    QString objectPath;
    QString propertyName;
    QString original;
    QString applied;
};
struct MLForm {
    QString name;
    QVector<MLFormEntry> entries; // table order
};

struct MLState {
    QString OriginalLangName;
    QString AppliedLangName; // as the settings file has it ("AUTO" stays "AUTO")
    QString AppliedLang;     // resolved, used for lookups
    QString AlternateLangName;
    int IsFormDisable = 0;
    int IsTextDisable = 0;
    int LocaleId = 0;          // the platform's, by which an automatic choice is resolved
    QVector<MLModule> modules; // ascending name
    // module -> (id, seq) -> applied text, the first of each; built by LoadTextTable
    QHash<QString, QHash<quint64, QString>> textIndex;
    QVector<MLForm> forms; // ascending name
    std::unique_ptr<Connection> conn;
    // Every language's texts of the database, read on the first need (TextsInEveryLanguage):
    // module -> (id, seq) -> texts. Dropped with the connection.
    mutable std::shared_ptr<const QHash<QString, QHash<quint64, QStringList>>> everyLanguage;
};

namespace MLUtil {
// Windows locale identifiers of the languages the tool knows.
constexpr int kLcidTraditional = 1028;
constexpr int kLcidSimplified = 2052;
constexpr int kLcidEnglish = 1033;

int LocaleIdOf(const QLocale& locale);
// Empty or "AUTO" (any letter case) resolves from the locale; any other name stays.
QString ResolveLanguage(const QString& appliedName, int localeId);
// The names the applied language is chosen by: "AUTO", then each language column.
const QStringList& LanguageNames();
// The spelling of LanguageNames() for a name in any letter case; empty for no such name.
QString LanguageName(const QString& name);
// The message texts of the same text database in the language named appliedName, to say
// something in a language other than the one in use. Window texts are not loaded.
MLState MessagesIn(const MLState& ml, const QString& appliedName);
QString DefaultTextDbPath();

// Reads the "ML" section of the settings file, resolves the language, opens the text
// database and loads both tables. False after its message when the settings file or the
// text database is missing.
bool MLInit(MLState& ml, Ui& ui, const QString& settingsPath, const QString& textDbPath,
            int localeId);
void MLClose(MLState& ml);
// Loads the tables from an open text database (MLInit's last steps).
void LoadTextTable(MLState& ml);
void LoadTextTable(MLState& ml, Connection* conn);
void LoadFormTable(MLState& ml);
// Every language's text of (module, number, index) that the text database holds, for reading
// words a person may have written in any of them; empty without the database.
QStringList TextsInEveryLanguage(const MLState& ml, int index, int messageNo,
                                 const QString& moduleKey);
} // namespace MLUtil

// The message text to show: the applied language's text for (module, number, index), or the
// program's own text.
QString GetMLText(const MLState& ml, const QString& defaultText, int index, int messageNo,
                  const QString& moduleKey);
// The window text to set; empty when the table has none.
QString GetFormText(const MLState& ml, const QString& formName, const QString& objectPath,
                    const QString& propertyName);
