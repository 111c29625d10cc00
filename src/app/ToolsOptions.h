#pragma once
// The rules of the options dialog: the communication values shown as text, their defaults,
// and storing what was typed.
#include <QString>

struct AppContext;
struct CommValues;

namespace ToolsOptions {
struct Texts {
    QString retry;
    QString timeOut;
};

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
// new values stay in use for this run.
bool SaveFormObj(AppContext& ctx, const Texts& texts);
} // namespace ToolsOptions
