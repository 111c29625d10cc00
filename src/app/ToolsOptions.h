#pragma once
// The rules of the options dialog: the communication values shown as text, their defaults,
// and storing what was typed.
#include <QString>
#include <QVector>

struct AppContext;
struct CommValues;
struct MLState;

namespace ToolsOptions {
struct Texts {
    QString retry;
    QString timeOut;
    QString language; // the applied language name to store; a null string keeps the one in use
};

struct LanguageChoice {
    QString name; // as the settings file holds it
    QString caption;
};
// The languages to choose from: automatic (by the system's locale), then each language named
// in itself. The entry of the name in use carries it as the file has it (an empty name or
// "auto" is the automatic one) and a name the list lacks is added as it is, so OK without a
// change leaves the file's line as it was.
QVector<LanguageChoice> LanguageChoices(const MLState& ml);

// The values in use, in decimal.
Texts LoadFormObj(const CommValues& comm);
// The defaults the restore button puts in the boxes: retry 3, time-out 2 seconds.
Texts Defaults();
// The numbers typed (text that is no number gives 0) must lie in the accepted ranges: retry
// 0..10, time-out 0..60 s. Otherwise a message says the range and focus names the box
// ("txtRetry", "txtTimeOut"); false.
bool CheckFormObj(AppContext& ctx, const Texts& texts, QString* focus = nullptr);
// Takes the numbers typed (text that is no number gives 0) into use and rewrites the
// settings file. False, after a message naming the file, when it could not be written; the
// new values stay in use for this run. A changed language is only stored: a message in that
// language says it applies from the next start.
bool SaveFormObj(AppContext& ctx, const Texts& texts);
} // namespace ToolsOptions
